#include "tariff/Catalogues.h"
#include "text/ConversionError.h"
#include "text/Sjis.h"

#include <gtest/gtest.h>
#include <span>

using namespace hakomaru;

TEST(Catalogues, PrefectureLists) {
    const auto sending = PrefectureRows(false);
    const auto destination = PrefectureRows(true);
    ASSERT_EQ(sending.size(), 53u);
    ASSERT_EQ(destination.size(), 55u);
    for (size_t i = 0; i < sending.size(); ++i)
        EXPECT_EQ(sending[i], destination[i]);
    EXPECT_EQ(destination[53], "━━特殊地域");
    EXPECT_EQ(destination[54], "同一市内");
    // The order within a group is not alphabetical.
    EXPECT_EQ(sending[5], "山形");
    EXPECT_EQ(sending[6], "宮城");
    EXPECT_EQ(sending[23], "静岡");
    EXPECT_EQ(sending[40], "香川");
    EXPECT_EQ(sending[52], "沖縄");

    int separators = 0;
    for (int row = 0; row < 55; ++row) {
        const bool separator = IsSeparatorRow(destination[static_cast<size_t>(row)]);
        separators += separator;
        EXPECT_EQ(separator, CatRegionOf(row).empty()) << row;
    }
    EXPECT_EQ(separators, 7);
}

TEST(Catalogues, CatRegions) {
    struct Case {
        int row;
        std::string_view region;
    };
    const Case cases[] = {
        {0, "北海道"}, {1, ""},       {2, "北東北"}, {5, "南東北"}, {8, ""},         {16, "関東"},
        {17, "信越"},  {19, ""},      {22, "北陸"},  {23, "中部"},  {27, ""},        {33, "近畿"},
        {34, ""},      {39, "中国"},  {40, "四国"},  {44, ""},      {51, "九州"},    {52, "沖縄"},
        {53, ""},      {54, "同一市内"}, {-1, ""},   {55, ""},      {INT32_MIN, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CatRegionOf(c.row), c.region) << c.row;
}

TEST(Catalogues, FixedLists) {
    ASSERT_EQ(WeightRows().size(), 14u);
    EXPECT_EQ(WeightRows()[0], " 2kg以下");
    EXPECT_EQ(WeightRows()[13], "30kg以下");
    ASSERT_EQ(SizeRows().size(), 8u);
    EXPECT_EQ(SizeRows()[0], " 60cm以下");
    EXPECT_EQ(SizeRows()[7], "170cm以下");
    ASSERT_EQ(PostalWeightRows().size(), 18u);
    EXPECT_EQ(PostalWeightRows()[3], "定形外・冊子小包");
    EXPECT_EQ(PostalWeightRows()[2], PostalWeightRows()[4]);
}

// The leading blanks right-align the weights and sizes in the lists: every
// caption of a list has the same width in code page 932 bytes.
TEST(Catalogues, CaptionsArePaddedToOneWidth) {
    struct Case {
        const char* list;
        std::span<const std::string_view> rows;
        size_t bytes;
    };
    const Case cases[] = {
        {"weight", WeightRows(), 8},
        {"size", SizeRows(), 9},
        {"postal weight", PostalWeightRows(), 9},
    };
    for (const auto& c : cases) {
        for (size_t row = 0; row < c.rows.size(); ++row) {
            const std::string_view caption = c.rows[row];
            if (caption.ends_with("以下"))
                EXPECT_EQ(toSjis(caption).size(), c.bytes) << c.list << " row " << row;
            else
                EXPECT_TRUE(std::string_view(c.list) == "postal weight" && (row == 0 || row == 3))
                    << c.list << " row " << row;
        }
    }
}

TEST(Catalogues, CatSizeClass) {
    struct Case {
        int weightRow, sizeRow, sizeClass;
    };
    const Case cases[] = {
        {0, 0, 0}, {1, 0, 1}, {0, 1, 1}, {0, 2, 2}, {2, 1, 1}, {3, 0, 2}, {8, 3, 3},
        {9, 0, 4}, {0, 4, 4}, {12, 5, 5}, {0, 5, 5}, {12, 6, 0}, {13, 0, 0}, {0, 7, 0},
        {1, 3, 3}, // 4 kg at 120 cm: the size decides
    };
    for (const auto& c : cases)
        EXPECT_EQ(CatSizeClass(c.weightRow, c.sizeRow), c.sizeClass)
            << c.weightRow << "," << c.sizeRow;
}

TEST(Catalogues, RemittanceMethods) {
    EXPECT_EQ(RemittanceMethodName(0), "普通為替");
    EXPECT_EQ(RemittanceMethodName(4), "電信証書送達");
    EXPECT_EQ(RemittanceMethodName(8), "電信払込");
    EXPECT_EQ(RemittanceMethodName(9), "");
    EXPECT_EQ(RemittanceMethodName(-1), "");
}

TEST(Catalogues, AmountClassesCompareAs32BitFloats) {
    struct Case {
        std::string_view text;
        int remittance, cat;
    };
    const Case cases[] = {
        {"0", 1, 1},      {"0.5", 1, 1},  {"1", 1, 2},       {"1.01", 2, 2},   {"2.9", 2, 2},
        {"3", 2, 3},      {"5", 2, 3},    {"9.99", 3, 3},    {"10", 3, 4},     {"30", 4, 4},
        {"30.1", 4, 0},   {"100", 4, 0},  {"100.5", 5, 0},   {"101", 5, 0},    {"105", 6, 0},
        {"110", 6, 0},    {"200", 7, 0},  {"200.5", 0, 0},   {"-1", 1, 1},
        // Rounded to the nearest float these equal the bound.
        {"10.0000001", 3, 4}, {"0.99999999", 1, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RemittanceAmountClass(c.text), c.remittance) << c.text;
        EXPECT_EQ(CatCodClass(c.text), c.cat) << c.text;
    }
    EXPECT_EQ(CatCodClass(""), 0);
}

TEST(Catalogues, AmountClassOfTextThatIsNoNumber) {
    for (std::string_view text : {"abc", ".", "", "1..2"}) {
        try {
            RemittanceAmountClass(text);
            FAIL() << text;
        } catch (const ConversionError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' は浮動小数点数ではありません");
        }
    }
    EXPECT_THROW(CatCodClass("abc"), ConversionError);
}

// What each class holds, as the editor names the option fees priced by it.
TEST(Catalogues, ClassCaptions) {
    const std::pair<std::string, std::string> cases[] = {
        {RemittanceAmountClassCaption(0), "空欄・200万円超"},
        {RemittanceAmountClassCaption(1), "1万円以下"},
        {RemittanceAmountClassCaption(5), "100万円超 101万円以下"},
        {RemittanceAmountClassCaption(8), ""},
        {CatCodClassCaption(0), "空欄・30万円超"},
        {CatCodClassCaption(1), "1万円未満"},
        {CatCodClassCaption(4), "10万円以上 30万円以下"},
        {CatSizeClassCaption(0), "60cm以下・2kg以下"},
        {CatSizeClassCaption(1), "80cm以下・5kg以下"},
        {CatSizeClassCaption(5), "150cm以下・25kg以下"},
        {CatSizeClassCaption(6), ""},
    };
    for (const auto& [caption, expected] : cases)
        EXPECT_EQ(caption, expected);
}
