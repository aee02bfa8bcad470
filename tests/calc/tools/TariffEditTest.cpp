// The tariff edit core: an edit rewrites only its field's bytes, whatever
// the file's formatting, refuses what the field cannot hold, and leaves the
// shipped tariff clean for the checker.
#include "tools/TariffEdit.h"
#include "tools/TariffCheck.h"

#include "ini/IniStore.h"
#include "text/Sjis.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using namespace hakomaru;
namespace fs = std::filesystem;

const fs::path kShippedTariff = fs::path(HAKOMARU_SHIPPED_DATA_DIR) / "Charge.ini";

// Odd formatting: CR-only, LF and CR LF line ends, blanks around "=", a
// comment, a key written twice, an unknown section, a line without a line end.
const std::string kOdd = "; fees\r[ゆうパック]\n第1地帯 =  AAA 810 910\r\n[謎]\rx=1\n"
                         "[ゆうパック]\r\n第1地帯=AAA 700 800\r\n 第2地帯\t=\tAAA 900\n"
                         "[冊子小包]\r料金=090110\r[速達]\n2kg = 310 ; note\r\n[普通郵便]\r"
                         "料金=";

struct EditCase {
    std::string name, input;
    std::vector<std::string> field; // section, key[, column]
    std::string value, expected;    // UTF-8; expected empty: refused
};

class Edit : public testing::TestWithParam<EditCase> {};

TEST_P(Edit, ChangesOnlyItsField) {
    const EditCase& c = GetParam();
    TariffDocument document(toSjis(c.input));
    const auto found = document.find(c.field[0], c.field[1],
                                     c.field.size() > 2 ? std::optional(c.field[2]) : std::nullopt);
    ASSERT_TRUE(std::holds_alternative<TariffAddress>(found)) << std::get<std::string>(found);
    const auto refused = document.set(std::get<TariffAddress>(found), c.value);
    if (c.expected.empty()) {
        EXPECT_TRUE(refused);
        EXPECT_EQ(document.bytes(), toSjis(c.input));
    } else {
        EXPECT_FALSE(refused) << *refused;
        EXPECT_EQ(fromSjis(document.bytes()), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tariff, Edit,
    testing::Values(
        EditCase{"LaterDuplicateKeyOfLaterSection",
                 kOdd,
                 {"ゆうパック", "第1地帯", "4kg"},
                 "85",
                 "; fees\r[ゆうパック]\n第1地帯 =  AAA 810 910\r\n[謎]\rx=1\n[ゆうパック]\r\n"
                 "第1地帯=AAA 700  85\r\n 第2地帯\t=\tAAA 900\n[冊子小包]\r料金=090110\r[速達]\n"
                 "2kg = 310 ; note\r\n[普通郵便]\r料金="},
        EditCase{"ShortRowFilledWithBlanks",
                 kOdd,
                 {"ゆうパック", "第2地帯", "5kg以下"},
                 "1200",
                 "; fees\r[ゆうパック]\n第1地帯 =  AAA 810 910\r\n[謎]\rx=1\n[ゆうパック]\r\n"
                 "第1地帯=AAA 700 800\r\n 第2地帯\t=\tAAA 900    1200\n[冊子小包]\r料金=090110\r"
                 "[速達]\n2kg = 310 ; note\r\n[普通郵便]\r料金="},
        // Blanks in front of the first field would be trimmed away.
        EditCase{"FirstFieldPaddedWithZeros",
                 kOdd,
                 {"冊子小包", "料金", "150g"},
                 "80",
                 "; fees\r[ゆうパック]\n第1地帯 =  AAA 810 910\r\n[謎]\rx=1\n[ゆうパック]\r\n"
                 "第1地帯=AAA 700 800\r\n 第2地帯\t=\tAAA 900\n[冊子小包]\r料金=080110\r[速達]\n"
                 "2kg = 310 ; note\r\n[普通郵便]\r料金="},
        EditCase{"OptionValueReplaced",
                 kOdd,
                 {"速達", "2kg"},
                 "0320",
                 "; fees\r[ゆうパック]\n第1地帯 =  AAA 810 910\r\n[謎]\rx=1\n[ゆうパック]\r\n"
                 "第1地帯=AAA 700 800\r\n 第2地帯\t=\tAAA 900\n[冊子小包]\r料金=090110\r[速達]\n"
                 "2kg = 320\r\n[普通郵便]\r料金="},
        EditCase{"MissingOptionAddedToItsSection",
                 kOdd,
                 {"冊子小包", "書留"},
                 "400",
                 "; fees\r[ゆうパック]\n第1地帯 =  AAA 810 910\r\n[謎]\rx=1\n[ゆうパック]\r\n"
                 "第1地帯=AAA 700 800\r\n 第2地帯\t=\tAAA 900\n[冊子小包]\r料金=090110\r"
                 "書留=400\r[速達]\n2kg = 310 ; note\r\n[普通郵便]\r料金="},
        // A missing line end there would join the last line and the new one.
        EditCase{"OptionAppendedAfterALastLineWithoutLineEnd",
                 "[速達]\n2kg=310",
                 {"速達", "4kg"},
                 "460",
                 "[速達]\n2kg=310\n4kg=460\n"},
        EditCase{"MissingSectionAppended",
                 kOdd,
                 {"書留", "料金"},
                 "430",
                 "; fees\r[ゆうパック]\n第1地帯 =  AAA 810 910\r\n[謎]\rx=1\n[ゆうパック]\r\n"
                 "第1地帯=AAA 700 800\r\n 第2地帯\t=\tAAA 900\n[冊子小包]\r料金=090110\r[速達]\n"
                 "2kg = 310 ; note\r\n[普通郵便]\r料金=\r[書留]\r料金=430\r"},
        // Blanks at the start of an empty value would be trimmed away.
        EditCase{"EmptyValueGetsZerosFirst",
                 "[ゆうパック]\n第1地帯=\n",
                 {"ゆうパック", "第1地帯", "4kg"},
                 "85",
                 "[ゆうパック]\n第1地帯=000      85\n"},
        EditCase{"EmptyValueFirstFieldFirst",
                 "[冊子小包]\n料金=\n",
                 {"冊子小包", "料金", "250g"},
                 "85",
                 ""},
        // What a Japanese input method types, and a spreadsheet's grouping.
        EditCase{"FullWidthDigits",
                 "[ゆうパック]\n第1地帯=000 600\n",
                 {"ゆうパック", "第１地帯", "２ｋｇ"},
                 "１４００",
                 "[ゆうパック]\n第1地帯=0001400\n"},
        EditCase{"FullWidthGroupedOption",
                 "[速達]\n2kg=310\n",
                 {"速達", "2kg"},
                 "　１，２００",
                 "[速達]\n2kg=1200\n"},
        EditCase{"ZoneFullWidthLetter",
                 "[地帯区分]\n東京=12\n[ゆうパック]\n第A地帯=y\n",
                 {"地帯区分", "東京", "北海道"},
                 "Ａ",
                 "[地帯区分]\n東京=A2\n[ゆうパック]\n第A地帯=y\n"},
        // A remittance fee: its own field in the method's row.
        EditCase{"RemittanceFee",
                 "[電信払込]\n料金0=0\n料金3=300\n",
                 {"電信払込", "料金3"},
                 "320",
                 "[電信払込]\n料金0=0\n料金3=320\n"},
        EditCase{"BadlyGrouped", kOdd, {"速達", "2kg"}, "12,00", ""},
        EditCase{"TooWide", kOdd, {"ゆうパック", "第1地帯", "2kg以下"}, "12345", ""},
        EditCase{"NotDigits", kOdd, {"ゆうパック", "第1地帯", "2kg以下"}, "8l0", ""},
        EditCase{"Negative", kOdd, {"速達", "2kg"}, "-5", ""},
        EditCase{"ImplausibleOption", kOdd, {"速達", "2kg"}, "100000", ""},
        EditCase{"RowNotInFile", kOdd, {"普通郵便", "翌朝10時", "定形 25g以下"}, "100", ""},
        EditCase{"ZoneWithoutFeeRow",
                 "[地帯区分]\n東京=12\n[ゆうパック]\n第1地帯=x\n第2地帯=y\n",
                 {"地帯区分", "東京", "青森"},
                 "3",
                 ""},
        EditCase{"ZoneBlank",
                 "[地帯区分]\n東京=12\n[ゆうパック]\n第1地帯=x\n第2地帯=y\n",
                 {"地帯区分", "東京", "青森"},
                 " ",
                 ""},
        EditCase{"ZoneAppended",
                 "[地帯区分]\n東京=12\n[ゆうパック]\n第1地帯=x\n第2地帯=y\n",
                 {"地帯区分", "東京", "青森"},
                 "1",
                 "[地帯区分]\n東京=121\n[ゆうパック]\n第1地帯=x\n第2地帯=y\n"},
        EditCase{"ZoneLetterCase",
                 "[地帯区分]\n東京=12\n[ゆうパック]\n第1地帯=x\n第A地帯=y\n",
                 {"地帯区分", "東京", "北海道"},
                 "a",
                 "[地帯区分]\n東京=a2\n[ゆうパック]\n第1地帯=x\n第A地帯=y\n"}),
    [](const auto& info) { return info.param.name; });

// A field whose first or last byte lies inside a double-byte character is
// refused, naming the character and the field, and the file is unchanged.
TEST(TariffEdit, FieldAcrossADoubleByteCharacterRefused) {
    const std::string zones = "[地帯区分]\n東京=" + std::string(29, '1') + "４" +
                              std::string(24, '1') + "\n[ゆうパック]\n第1地帯=x\n";
    const std::string fees = "[ゆうパック]\n第1地帯=00円 810 910\n";
    for (const auto& [input, field, named] :
         std::vector<std::tuple<std::string, std::vector<std::string>, std::string>>{
             {zones, {"地帯区分", "東京", "大阪"}, "「４」"}, // starts inside
             {zones, {"地帯区分", "東京", "京都"}, "「４」"}, // ends inside
             {fees, {"ゆうパック", "第1地帯", "2kg"}, "「円」"}}) {
        TariffDocument document(toSjis(input));
        const auto at = document.find(field[0], field[1], field[2]);
        ASSERT_TRUE(std::holds_alternative<TariffAddress>(at)) << field[2];
        const auto refused = document.set(std::get<TariffAddress>(at), "1");
        ASSERT_TRUE(refused) << field[2];
        EXPECT_NE(refused->find(named), std::string::npos) << *refused;
        EXPECT_NE(refused->find(field[2]), std::string::npos) << *refused;
        EXPECT_EQ(document.bytes(), toSjis(input));
    }
}

TEST(TariffEdit, FindRefusesWhatNamesNoSingleField) {
    const TariffDocument document(toSjis(kOdd));
    for (const auto& [section, key, column] :
         std::vector<std::tuple<std::string, std::string, std::optional<std::string>>>{
             {"ゆうパック", "第1地帯", std::nullopt}, // a row needs its column
             {"ゆうパック", "第1地帯", "3kg"},
             {"普通郵便", "料金", "50g"}, // 定形 or 定形外
             {"謎", "x", std::nullopt}})
        EXPECT_TRUE(std::holds_alternative<std::string>(document.find(section, key, column)))
            << section << " " << key;
}

TEST(TariffEdit, FileNotShiftJisIsReadOnly) {
    for (const auto& [bytes, reason] :
         std::vector<std::pair<std::string, std::string>>{{"\xEF\xBB\xBF[a]\r\n", "UTF-8"},
                                                          {"[\xE3\x81\x82]\r\n", "UTF-8"},
                                                          {"[a]\rb=\x81\r", "2 行目"}}) {
        TariffDocument document(bytes);
        EXPECT_NE(document.readOnlyReason().find(reason), std::string::npos)
            << document.readOnlyReason();
        EXPECT_TRUE(document.set({5, 0, 0}, "1"));
        EXPECT_EQ(document.bytes(), bytes);
    }
}

// Fields of every kind and table of the shipped tariff (every fifth one) set
// to a new value change only their own bytes, and set back give the file
// again, byte for byte.
TEST(TariffEdit, ShippedTariffEveryFieldRoundTrips) {
    const std::string shipped = readFileBytes(kShippedTariff);
    TariffDocument document(shipped);
    ASSERT_EQ(document.readOnlyReason(), "");
    size_t edited = 0;
    for (size_t g = 0; g < document.grids().size(); ++g)
        for (size_t r = 0; r < document.grids()[g].rows.size(); ++r)
            for (size_t c = 0; c < document.grids()[g].columns.size(); ++c) {
                const TariffCell cell = document.grids()[g].cell(r, c);
                if (cell.line == 0 || cell.kind == TariffFieldKind::Zone || (r + c) % 5 != 0)
                    continue;
                const std::string before = TariffDocument::shown(cell);
                ASSERT_FALSE(document.set({g, r, c}, "7"));
                const std::string& now = document.bytes();
                const size_t after = shipped.size() - cell.offset - cell.text.size();
                ASSERT_GE(now.size(), after);
                EXPECT_EQ(now.substr(0, cell.offset), shipped.substr(0, cell.offset));
                EXPECT_EQ(now.substr(now.size() - after), shipped.substr(shipped.size() - after));
                ASSERT_FALSE(document.set({g, r, c}, before));
                ASSERT_EQ(document.bytes(), shipped) << document.grids()[g].title << " " << r;
                ++edited;
            }
    EXPECT_GT(edited, 100u);
}

} // namespace
