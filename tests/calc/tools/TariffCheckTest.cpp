// The tariff checker on the shipped development tariff (which must be clean)
// and on broken copies of it, one small edit for each kind of problem.
#include "tools/TariffCheck.h"
#include "ini/IniStore.h"
#include "text/Sjis.h"
#include "tools/TariffEdit.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <tuple>

namespace {

using hakomaru::TariffProblem;
using Kind = hakomaru::TariffProblemKind;
namespace fs = std::filesystem;

const fs::path kShippedTariff = fs::path(HAKOMARU_SHIPPED_DATA_DIR) / "Charge.ini";

// The shipped tariff as UTF-8 text, for editing.
const std::string& cleanText() {
    static const std::string text = hakomaru::fromSjis(hakomaru::readFileBytes(kShippedTariff));
    return text;
}

// The text with the first `from` after the line `after` (from the start when
// empty) replaced by `to`. Fails the test when either is not there.
std::string edited(std::string text, const std::string& after, const std::string& from,
                   const std::string& to) {
    size_t start = 0;
    if (!after.empty()) {
        start = text.find("\r\n" + after + "\r\n");
        EXPECT_NE(start, std::string::npos) << after;
    }
    const size_t at = text.find(from, start == std::string::npos ? 0 : start);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// The 1-based line on which `marker` starts, after the line `after`.
size_t lineOf(const std::string& text, const std::string& after, const std::string& marker) {
    const size_t start = after.empty() ? 0 : text.find("\r\n" + after + "\r\n");
    const size_t at = text.find(marker, start);
    if (at == std::string::npos)
        return 0;
    return 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + at, '\n'));
}

struct Expected {
    Kind kind;
    std::string section;
    std::string key;
    std::string messagePart;
    std::function<size_t(const std::string&)> line; // of the edited UTF-8 text
};

struct Case {
    const char* name;
    std::function<std::string()> text; // the edited tariff, UTF-8
    std::vector<Expected> expected;    // every problem, in order
    bool keepUtf8 = false;             // check the UTF-8 bytes themselves
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

auto at(std::string after, std::string marker) {
    return [after, marker](const std::string& text) { return lineOf(text, after, marker); };
}

auto replaced(std::string after, std::string from, std::string to) {
    return [after, from, to] { return edited(cleanText(), after, from, to); };
}

std::string repeated(const std::string& text, size_t times) {
    std::string all;
    for (size_t i = 0; i < times; ++i)
        all += text;
    return all;
}

// Stands for the byte 0x80, which no text can encode to: put in after encoding.
const std::string kRawByte80 = "<0x80>";

const std::string kTokyoZones = "東京  =8554434322222212233333423344444444445556555566776667911";

const std::vector<Case> kCases = {
    {"Utf8File",
     [] { return cleanText(); },
     {{Kind::NotShiftJis, "", "", "UTF-8", at("", "; はこ丸")}},
     true},
    {"ByteThatIsNotShiftJis",
     replaced("[着払]", "料金=30", "料金=3" + kRawByte80),
     {{Kind::NotShiftJis, "", "", "0x80", at("[着払]", "料金=3")},
      {Kind::NotWholeNumber, "着払", "料金", "既定値 20", at("[着払]", "料金=3")}}},
    {"PrefectureMissingFromZoneTable",
     replaced("", kTokyoZones + "\r\n", ""),
     {{Kind::MissingEntry, "地帯区分", "東京", "東京 から送る", at("", "[地帯区分]")}}},
    {"ZoneRowShorterThan55",
     replaced("", kTokyoZones, kTokyoZones.substr(0, kTokyoZones.size() - 2)),
     {{Kind::ShortZoneRow, "地帯区分", "東京", "53 文字", at("", "東京  =")}}},
    {"ZoneCharacterDoubleByte",
     replaced("", "東京  =855", "東京  =85地"),
     {{Kind::BadZoneCharacter, "地帯区分", "東京", "3 桁目", at("", "東京  =")}}},
    // The same city's zone names the caption only: no fee row is read for it.
    {"ZoneWithoutFeeRowInLastPositionOnly",
     replaced("", kTokyoZones, kTokyoZones.substr(0, kTokyoZones.size() - 1) + "X"),
     {}},
    {"ZoneCharacterWithoutFeeRow",
     replaced("", "東京  =855", "東京  =8X5"),
     {{Kind::MissingZoneFee, "ゆうパック", "第X地帯", "東京", at("", "[ゆうパック]")}}},
    {"SameCityFeeRowMissing",
     replaced("[ゆうパック]", "市内   =", "市外   ="),
     {{Kind::UnknownKey, "ゆうパック", "市外", "", at("[ゆうパック]", "市外")},
      {Kind::MissingEntry, "ゆうパック", "市内", "同一市内", at("", "[ゆうパック]")}}},
    {"YoupackFeeRowTooShort",
     replaced("[ゆうパック]", "25302900\r\n", "253029\r\n"),
     {{Kind::ShortFeeRow, "ゆうパック", "第3地帯", "30kg以下", at("[ゆうパック]", "第3地帯")}}},
    {"YoupackFieldNotANumber",
     replaced("[ゆうパック]", "第3地帯=000 830 980", "第3地帯=000 830 9O0"),
     {{Kind::BadField, "ゆうパック", "第3地帯",
       "4kg以下の欄（8〜11 桁目）: ' 9O0' は整数ではありません", at("[ゆうパック]", "第3地帯")}}},
    {"CatKeyPaddingIsHarmless", replaced("[関東]", "中部    =000 960", "中部 =000 960"), {}},
    {"CatRegionPairMissingForReal",
     replaced("[関東]", "中部    =000 96012001440168019202160\r\n", ""),
     {{Kind::MissingEntry, "関東", "中部", "関東 → 中部", at("", "[関東]")}}},
    {"CatRegionSectionMissing",
     replaced("", "[四国]", "[四國]"),
     {{Kind::UnknownSection, "四國", "", "", at("", "[四國]")},
      {Kind::MissingEntry, "四国", "", "発送地 四国", [](const std::string&) { return 0; }}}},
    {"CatFieldNotANumber",
     replaced("[関東]", "関東    =000 740 940", "関東    =000 740 9-0"),
     {{Kind::BadField, "関東", "関東", "80cm以下", at("[関東]", "関東    =")}}},
    {"LetterMailRowTooShort",
     replaced("[普通郵便]", "13001450\r\n", "1300\r\n"),
     {{Kind::ShortFeeRow, "普通郵便", "料金", "定形外 4kg以下", at("[普通郵便]", "料金    =")}}},
    {"LetterMailFieldNotANumber",
     replaced("[普通郵便]", "   0 120 140", "   012 0 140"),
     {{Kind::BadField, "普通郵便", "料金", "定形外 50g以下", at("[普通郵便]", "料金    =")}}},
    {"NextMorningRowMissing",
     replaced("[普通郵便]", "翌朝10時=", "翌朝10時 "),
     {{Kind::LineWithoutEquals, "普通郵便", "", "翌朝10時", at("[普通郵便]", "翌朝10時")},
      {Kind::MissingEntry, "普通郵便", "翌朝10時", "", at("", "[普通郵便]")}}},
    {"BookParcelRowTooShort",
     replaced("[冊子小包]", "料金=180200215300340350400450500550",
              "料金=180200215300340350400450500"),
     {{Kind::ShortFeeRow, "冊子小包", "料金", "3kg以下", at("[冊子小包]", "料金=")}}},
    {"BookParcelFieldNotANumber",
     replaced("[冊子小包]", "料金=180200", "料金=18x200"),
     {{Kind::BadField, "冊子小包", "料金", "150g以下の欄（1〜3 桁目）",
       at("[冊子小包]", "料金=")}}},
    {"YoupackFeeNegative",
     replaced("[ゆうパック]", "第3地帯=000 830 980", "第3地帯=000 830-999"),
     {{Kind::NegativeFee, "ゆうパック", "第3地帯", "4kg以下の欄（8〜11 桁目）: 料金 -999 円は負の数です",
       at("[ゆうパック]", "第3地帯")}}},
    {"CatFeeBelowShopDiscount",
     replaced("[関東]", "関東    =000 740 940", "関東    =000 740  90"),
     {{Kind::NegativeFee, "関東", "関東", "80cm以下の欄（8〜11 桁目）: 料金 90 円から 100 円を引いた",
       at("[関東]", "関東    =")}}},
    {"OptionFeeNegative",
     replaced("[着払]", "料金=30", "料金=-2147483648"),
     {{Kind::NegativeFee, "着払", "料金", "料金 -2147483648 円は負の数です", at("[着払]", "料金=")}}},
    {"RemittanceFeeTooLarge",
     replaced("[電信払込]", "料金3=250", "料金3=250000"),
     {{Kind::ImplausibleFee, "電信払込", "料金3", "250000 円は大きすぎます（99,999 円まで",
       at("[電信払込]", "料金3")}}},
    {"OptionValueNotWhole",
     replaced("[着払]", "料金=30", "料金=30円"),
     {{Kind::NotWholeNumber, "着払", "料金", "'30円' は整数ではありません（黙って既定値 20 円",
       at("[着払]", "料金=")}}},
    {"RemittanceValueNotWhole",
     replaced("[電信払込]", "料金3=250", "料金3=2.5"),
     {{Kind::NotWholeNumber, "電信払込", "料金3", "既定値 0 円", at("[電信払込]", "料金3")}}},
    {"UnknownSection",
     replaced("", "[複数口]", "[複数個]"),
     {{Kind::UnknownSection, "複数個", "", "", at("", "[複数個]")}}},
    {"UnknownKey",
     replaced("[書留]", "料金=430", "料全=430"),
     {{Kind::UnknownKey, "書留", "料全", "", at("[書留]", "料全")}}},
    {"LineBeforeFirstSection",
     replaced("", "[地帯区分]", "東京=1\r\n[地帯区分]"),
     {{Kind::LineOutsideSection, "", "", "東京=1", at("", "東京=1")}}},
    {"LongLineQuotedInShort", // cut between two characters, within 64 bytes
     replaced("", "[地帯区分]", "a" + repeated("あ", 40) + "\r\n[地帯区分]"),
     {{Kind::LineOutsideSection, "", "", "読まれません: a" + repeated("あ", 31) + "…",
       at("", "aあ")}}},
    {"SectionWrittenTwice",
     [] { return cleanText() + "[着払]\r\n料金=40\r\n"; },
     {{Kind::DuplicateSection, "着払", "", "行目にもある", at("", "[着払]")}}},
    {"KeyWrittenTwice",
     replaced("[着払]", "料金=30", "料金=30\r\n料金=40"),
     {{Kind::DuplicateKey, "着払", "料金", "行目にもある", at("[着払]", "料金=30")}}},
    {"ZoneCaseDiffersFromFeeKey",
     [] {
         return edited(
             edited(cleanText(), "", "東京  =855", "東京  =8x5"), "[ゆうパック]", "市内   =",
             "第X地帯=000 600 700 750 800 900100011001200125013001400150017502000\r\n市内   =");
     },
     {}},
    {"MalformedRowHiddenByALaterOne",
     replaced("[ゆうパック]", "第3地帯=", "第3地帯=000 8x0\r\n第3地帯="),
     {{Kind::DuplicateKey, "ゆうパック", "第3地帯", "行目にもある", at("[ゆうパック]", "第3地帯")}}},
    {"CrLineEnds",
     [] {
         std::string text = edited(cleanText(), "[着払]", "料金=30", "料金=x");
         std::string cr;
         for (size_t i = 0; i < text.size(); ++i)
             if (!(text[i] == '\n' && i > 0 && text[i - 1] == '\r'))
                 cr += text[i];
         return cr;
     },
     {{Kind::NotWholeNumber, "着払", "料金", "'x'",
       [](const std::string& text) {
           const size_t at = text.find("料金=x");
           return 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + at, '\r'));
       }}}},
};

class TariffCheckCase : public testing::TestWithParam<Case> {};

// The case's file as bytes.
std::string bytesOf(const Case& c, const std::string& text) {
    std::string bytes = c.keepUtf8 ? text : hakomaru::toSjis(text);
    if (size_t raw = bytes.find(kRawByte80); raw != std::string::npos)
        bytes.replace(raw, kRawByte80.size(), "\x80");
    return bytes;
}

TEST_P(TariffCheckCase, FindsEveryProblemWithItsPlace) {
    const Case& c = GetParam();
    const std::string text = c.text();
    const auto problems = hakomaru::checkTariff(bytesOf(c, text));
    ASSERT_EQ(problems.size(), c.expected.size()) << [&] {
        std::string all;
        for (const TariffProblem& p : problems)
            all += hakomaru::problemLine("Charge.ini", p) + "\n";
        return all;
    }();
    for (size_t i = 0; i < problems.size(); ++i) {
        const TariffProblem& got = problems[i];
        const Expected& want = c.expected[i];
        SCOPED_TRACE(hakomaru::problemLine("Charge.ini", got));
        EXPECT_EQ(got.kind, want.kind);
        EXPECT_EQ(got.section, want.section);
        EXPECT_EQ(got.key, want.key);
        EXPECT_NE(got.message.find(want.messagePart), std::string::npos);
        EXPECT_EQ(got.line, want.line(text));
    }
}

// Each problem as the check prints it, with the places it names.
std::vector<std::string> listed(const std::vector<TariffProblem>& problems) {
    std::vector<std::string> lines;
    for (const TariffProblem& p : problems) {
        lines.push_back(hakomaru::problemLine("Charge.ini", p));
        for (const auto& [line, position] : p.places)
            lines.back() += " " + std::to_string(line) + ":" + std::to_string(position);
    }
    return lines;
}

// The checker and the document kept over an edit read the file as a fresh
// check and a fresh read of the whole file do: the clean tariff made into
// the case's by replacing the bytes in which they differ, then made clean
// again.
TEST_P(TariffCheckCase, KeptCheckerAndDocumentAgreeWithWholeFile) {
    const std::string clean = hakomaru::toSjis(cleanText());
    const std::string broken = bytesOf(GetParam(), GetParam().text());
    size_t head = 0, tail = 0;
    while (head < std::min(clean.size(), broken.size()) && clean[head] == broken[head])
        ++head;
    while (tail < std::min(clean.size(), broken.size()) - head &&
           clean[clean.size() - 1 - tail] == broken[broken.size() - 1 - tail])
        ++tail;
    hakomaru::TariffChecker checker(clean);
    hakomaru::TariffDocument document(clean);
    for (const auto& [from, to] : {std::pair(&clean, &broken), std::pair(&broken, &clean)}) {
        const hakomaru::TariffSplice splice{head, from->substr(head, from->size() - head - tail),
                                            to->substr(head, to->size() - head - tail)};
        checker.replace(splice.offset, splice.removed.size(), splice.inserted);
        document.apply(splice);
        EXPECT_EQ(listed(checker.problems()), listed(hakomaru::checkTariff(*to)));
        ASSERT_EQ(document.bytes(), *to);
        const hakomaru::TariffDocument fresh(*to);
        for (size_t g = 0; g < fresh.grids().size(); ++g)
            for (size_t c = 0; c < fresh.grids()[g].cells.size(); ++c) {
                const auto& want = fresh.grids()[g].cells[c];
                const auto& got = document.grids()[g].cells[c];
                EXPECT_EQ(std::tie(got.line, got.offset, got.width, got.text),
                          std::tie(want.line, want.offset, want.width, want.text))
                    << fresh.grids()[g].title << " cell " << c;
            }
    }
}

// A byte that is not Shift-JIS is reported with its column, which an edit
// before it on its line moves.
TEST(TariffCheck, KeptCheckerMovesTheColumnOfABadByte) {
    std::string bytes = hakomaru::toSjis(edited(cleanText(), "[速達]", "2kg=300", "2kg=300 X"));
    bytes.replace(bytes.find("300 X"), 5, "300 \x80");
    hakomaru::TariffChecker checker(bytes);
    const size_t at = bytes.find("300 \x80");
    checker.replace(at, 3, "3000");
    bytes.replace(at, 3, "3000");
    EXPECT_EQ(listed(checker.problems()), listed(hakomaru::checkTariff(bytes)));
}

// A field past the end of a short value has an offset beyond its line; an
// edit on the next line that changes its length leaves the field where it is.
TEST(TariffEdit, FieldPastAShortValueStaysWithItsLine) {
    const std::string bytes = hakomaru::toSjis(
        edited(cleanText(), "", "北海道=1556677788888888878888888888888888888888888888888888911",
               "北海道=15566"));
    hakomaru::TariffDocument document(bytes);
    const size_t at = bytes.find("=5112233", bytes.find(hakomaru::toSjis("青森"))) + 1;
    document.apply(hakomaru::TariffSplice{at, bytes.substr(at, 2), "5"});
    const hakomaru::TariffDocument fresh(document.bytes());
    const auto& zone = fresh.grids()[0];
    for (size_t c = 0; c < zone.columns.size(); ++c)
        EXPECT_EQ(document.grids()[0].cell(0, c).offset, zone.cell(0, c).offset) << c;
}

INSTANTIATE_TEST_SUITE_P(BrokenTariffs, TariffCheckCase, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TariffCheck, ShippedTariffIsClean) {
    const auto problems = hakomaru::checkTariff(hakomaru::readFileBytes(kShippedTariff));
    for (const TariffProblem& p : problems)
        ADD_FAILURE() << hakomaru::problemLine("Charge.ini", p);
}

TEST(TariffCheck, EmptyFileMissesEveryTable) {
    const auto problems = hakomaru::checkTariff("");
    // Zone table, ゆうパック, twelve クロネコ regions, letter mail, book parcels.
    ASSERT_EQ(problems.size(), 16u);
    for (const TariffProblem& p : problems) {
        EXPECT_EQ(p.kind, Kind::MissingEntry);
        EXPECT_EQ(p.line, 0u);
        EXPECT_TRUE(p.key.empty());
    }
}

TEST(TariffCheck, ProblemLineNamesFileLineSectionAndKey) {
    const TariffProblem withKey{Kind::BadField, 12, "ゆうパック", "第3地帯", "内容"};
    EXPECT_EQ(hakomaru::problemLine("a/Charge.ini", withKey),
              "a/Charge.ini:12: [ゆうパック] 第3地帯: 内容");
    const TariffProblem nowhere{Kind::MissingEntry, 0, "四国", "", "内容"};
    EXPECT_EQ(hakomaru::problemLine("Charge.ini", nowhere), "Charge.ini: [四国]: 内容");
    const TariffProblem fileWide{Kind::NotShiftJis, 1, "", "", "内容"};
    EXPECT_EQ(hakomaru::problemLine("Charge.ini", fileWide), "Charge.ini:1: 内容");
}

} // namespace
