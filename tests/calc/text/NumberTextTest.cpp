#include "text/NumberText.h"
#include "text/ConversionError.h"

#include <gtest/gtest.h>

using namespace hakomaru;

TEST(NumberText, WholeNumbersAreStrict) {
    struct Case {
        std::string_view text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"80", 80},           {"  80", 80},         {"0080", 80},
        {"-5", -5},           {"+7", 7},            {" -12", -12},
        {"$10", 16},          {"0x10", 16},         {"0X1f", 31},
        {"-$10", -16},        {"$FFFFFFFF", -1},    {"0x80000008", -2147483640},
        {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
        {"2147483648", {}},   {"-2147483649", {}},  {"$100000000", {}},
        {"80  ", {}},         {"8 0", {}},          {"", {}},
        {"   ", {}},          {"-", {}},            {"$", {}},
        {"0x", {}},           {"1.0", {}},          {"25円", {}},
        {"1e3", {}},          {"\t5", {}},          {std::string_view("5\0", 2), {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseWholeNumber(c.text), c.value) << "'" << c.text << "'";
}

TEST(NumberText, DecimalNumbers) {
    struct Case {
        std::string_view text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"0", 0.0},      {"1.5", 1.5},    {".5", 0.5},    {"5.", 5.0},   {" 3 ", 3.0},
        {"-2", -2.0},    {"+2", 2.0},     {"1e2", 100.0}, {"1E-1", 0.1}, {".", {}},
        {"", {}},        {"1.2.3", {}},   {"abc", {}},    {"1e", {}},    {"1e999", {}},
        {"0x10", {}},    {"nan", {}},     {"inf", {}},    {"1,5", {}},   {"- 1", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseDecimalNumber(c.text), c.value) << "'" << c.text << "'";
}

TEST(NumberText, ConversionMessagesQuoteTheText) {
    try {
        toWholeNumber("1x");
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'1x' は整数ではありません");
    }
    try {
        toSingle("..");
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'..' は浮動小数点数ではありません");
    }
    try {
        toSingle("1e300"); // beyond a 32-bit float
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'1e300' は浮動小数点数ではありません");
    }
}

TEST(NumberText, Formats) {
    struct Case {
        std::int32_t amount;
        std::string_view grouped, plain;
    };
    const Case cases[] = {
        {0, "0", "0"},
        {999, "999", "999"},
        {1000, "1,000", "1000"},
        {-1234, "-1,234", "-1234"},
        {1234567, "1,234,567", "1234567"},
        {-999, "-999", "-999"},
        {INT32_MIN, "-2,147,483,648", "-2147483648"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(grouped(c.amount), c.grouped);
        EXPECT_EQ(plain(c.amount), c.plain);
    }
}

TEST(NumberText, YenArithmeticRefusesAmountsBeyond32Bits) {
    EXPECT_EQ(addYen(INT32_MAX - 1, 1), INT32_MAX);
    EXPECT_EQ(subYen(INT32_MIN + 1, 1), INT32_MIN);
    EXPECT_EQ(mulYen(-65536, 32768), INT32_MIN);
    EXPECT_THROW(addYen(INT32_MAX, 1), ConversionError);
    EXPECT_THROW(subYen(INT32_MIN, 1), ConversionError);
    EXPECT_THROW(mulYen(65536, 65536), ConversionError);
}
