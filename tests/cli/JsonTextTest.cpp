#include "JsonText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using hakomaru::cli::appendJsonString;

struct Case {
    const char* name;
    std::string text;
    std::string json; // the expected JSON string, quotes included
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class JsonString : public testing::TestWithParam<Case> {};

TEST_P(JsonString, IsEscapedAndValid) {
    const Case& c = GetParam();
    std::string out = "prefix";
    appendJsonString(out, c.text);
    EXPECT_EQ(out, "prefix" + c.json);
    // Whatever the input, a JSON reader takes the result; where the input
    // was valid UTF-8 it reads back the same text.
    const auto read = nlohmann::json::parse(c.json);
    if (c.json.find("\xEF\xBF\xBD") == std::string::npos) {
        EXPECT_EQ(read.get<std::string>(), c.text);
    }
}

const std::string kFffd = "\xEF\xBF\xBD";

const Case kCases[] = {
    {"empty", "", R"("")"},
    {"ascii", "Total 1,234", R"("Total 1,234")"},
    {"quote_and_backslash", R"(a"b\c)", R"("a\"b\\c")"},
    {"line_breaks", "a\r\nb\tc", R"("a\r\nb\tc")"},
    {"other_controls", std::string("\x01\x1f\b\f", 4) + std::string(1, '\0'),
     R"("\u0001\u001f\b\f\u0000")"},
    {"delete_kept", "\x7f", "\"\x7f\""},
    {"japanese_and_yen", "送料¥1,100", "\"送料¥1,100\""},
    {"four_byte", "\xF0\x9F\x93\xA6", "\"\xF0\x9F\x93\xA6\""},
    {"stray_byte", "a\xFFz", "\"a" + kFffd + "z\""},
    {"truncated_sequence", "\xE6\x9D", "\"" + kFffd + kFffd + "\""},
    {"truncated_before_ascii", "\xE6\x9D\"", "\"" + kFffd + kFffd + "\\\"\""},
    {"overlong", "\xC0\xAF", "\"" + kFffd + kFffd + "\""},
    {"overlong_three_bytes", "\xE0\x80\xAF", "\"" + kFffd + kFffd + kFffd + "\""},
    {"surrogate", "\xED\xA0\x80", "\"" + kFffd + kFffd + kFffd + "\""},
    {"beyond_unicode", "\xF4\x90\x80\x80", "\"" + kFffd + kFffd + kFffd + kFffd + "\""},
    {"lone_continuation", "\x80", "\"" + kFffd + "\""},
};
INSTANTIATE_TEST_SUITE_P(Texts, JsonString, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JsonObjectWriter, KeepsMemberOrder) {
    const std::string text = hakomaru::cli::JsonObjectWriter()
                                 .number("Total", -5)
                                 .text("Detail", "x\r\n")
                                 .flag("NotHandled", true)
                                 .take();
    EXPECT_EQ(text, R"({"Total":-5,"Detail":"x\r\n","NotHandled":true})");
}

} // namespace
