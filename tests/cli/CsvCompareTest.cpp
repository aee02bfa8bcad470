// The batch comparison: CSV reading and writing, and whole runs on the test
// tariff (東京 → 大阪: ゆうパック 1,100 and クロネコ 1,060 for 2 kg, 60 cm).
#include "CsvCompare.h"
#include "TestTariff.h"
#include "text/Sjis.h"

#include <gtest/gtest.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sstream>
#include <sys/stat.h>

namespace {

using hakomaru::cli::CsvRecord;
constexpr size_t kLimit = hakomaru::cli::kMaxRecordBytes;

std::string repeated(std::string_view text, size_t times) {
    std::string all;
    for (size_t i = 0; i < times; ++i)
        all += text;
    return all;
}

struct ParseCase {
    const char* name;
    std::string text;
    std::vector<std::vector<std::string>> fields;
    std::vector<size_t> lines;
    std::vector<bool> unterminated = {};
    std::vector<bool> tooLong = {};
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

class CsvParse : public testing::TestWithParam<ParseCase> {};

TEST_P(CsvParse, SplitsRecordsAndFields) {
    const ParseCase& c = GetParam();
    const auto records = hakomaru::cli::parseCsv(c.text);
    ASSERT_EQ(records.size(), c.fields.size());
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].fields, c.fields[i]) << "record " << i;
        EXPECT_EQ(records[i].line, c.lines[i]) << "record " << i;
        EXPECT_EQ(records[i].unterminated, i < c.unterminated.size() && c.unterminated[i]);
        EXPECT_EQ(records[i].tooLong, i < c.tooLong.size() && c.tooLong[i]) << "record " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rfc4180, CsvParse,
    testing::Values(
        ParseCase{"CrLf", "a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}, {1, 2}},
        ParseCase{"LfAndLoneCr", "a\nb\rc", {{"a"}, {"b"}, {"c"}}, {1, 2, 3}},
        ParseCase{"EmptyFields", ",a,,\r\n", {{"", "a", "", ""}}, {1}},
        ParseCase{"QuotedComma", "\"a,b\",c", {{"a,b", "c"}}, {1}},
        ParseCase{"DoubledQuote", "\"say \"\"hi\"\"\",x", {{"say \"hi\"", "x"}}, {1}},
        ParseCase{"LineBreakInQuotes", "\"a\r\nb\",c\r\nd", {{"a\r\nb", "c"}, {"d"}}, {1, 3}},
        ParseCase{"BlankLinesSkipped", "a\r\n\r\n  \r\nb", {{"a"}, {"b"}}, {1, 4}},
        ParseCase{"QuoteInsideUnquotedField", "a\"b,c", {{"a\"b", "c"}}, {1}},
        ParseCase{"Unterminated", "a\r\n\"b,c\r\nd", {{"a"}, {"b,c\r\nd"}}, {1, 2}, {false, true}},
        // The record limit counts every byte (CsvRunMemory: separators,
        // quotes, multi-byte text), the line breaks inside quotes too.
        ParseCase{"AtTheLimit",
                  std::string(kLimit - 1, 'a') + ",\nb",
                  {{std::string(kLimit - 1, 'a'), ""}, {"b"}},
                  {1, 2}},
        ParseCase{"SeparatorsCount",
                  std::string(kLimit + 1, ',') + "\nb",
                  {{}, {"b"}},
                  {1, 2},
                  {},
                  {true}},
        ParseCase{"LineBreaksInQuotesCount",
                  "\"" + repeated("a\r\n", kLimit / 3) + "\"\nb",
                  {{}, {"b"}},
                  {1, kLimit / 3 + 2},
                  {},
                  {true}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvField, QuotesOnlyWhatMustBeQuoted) {
    EXPECT_EQ(hakomaru::cli::csvField("東京"), "東京");
    EXPECT_EQ(hakomaru::cli::csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(hakomaru::cli::csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(hakomaru::cli::csvField("a\nb"), "\"a\nb\"");
    EXPECT_EQ(hakomaru::cli::csvField("a\rb"), "\"a\rb\""); // a bare CR ends a record too
    EXPECT_EQ(hakomaru::cli::csvField(""), "");
}

const std::string kHeader = "行,発送地,届け先,重さ,サイズ,代引金額,オプション,重さ区分,サイズ区分,"
                            "ゆうパック,クロネコ,安いほう,差額,エラー\r\n";

struct RunCase {
    const char* name;
    std::string input;
    std::string rows; // the output after the header line
    int status = 0;
};

void PrintTo(const RunCase& c, std::ostream* os) {
    *os << c.name;
}

class CsvRun : public testing::TestWithParam<RunCase> {};

TEST_P(CsvRun, WritesOneLinePerParcel) {
    std::ostringstream out;
    const int status =
        hakomaru::cli::runCsvComparison(testTariff(), GetParam().input, out, {false, 8});
    EXPECT_EQ(out.str(), kHeader + GetParam().rows);
    EXPECT_EQ(status, GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CsvRun,
    testing::Values(
        RunCase{"CheaperCarrierAndDifference", "東京,大阪,2kg,60cm\n",
                "1,東京,大阪,2kg,60cm,,,2kg以下,60cm以下,1100,1060,クロネコ,40,\r\n"},
        RunCase{"HeaderLineSkipped",
                "発送地,届け先,重さ,サイズ,代引金額,オプション\r\n東京,大阪,2,60,,\r\n",
                "2,東京,大阪,2,60,,,2kg以下,60cm以下,1100,1060,クロネコ,40,\r\n"},
        RunCase{"EnglishHeaderAndUtf8Bom",
                "\xEF\xBB\xBF"
                "From,To\n東京,同一市内,2,60\n",
                "2,東京,同一市内,2,60,,,2kg以下,60cm以下,500,640,ゆうパック,140,\r\n"},
        RunCase{"ShiftJisInput", hakomaru::toSjis("東京,大阪,2kg,60cm\r\n"),
                "1,東京,大阪,2kg,60cm,,,2kg以下,60cm以下,1100,1060,クロネコ,40,\r\n"},
        RunCase{"NotHandledByCat", "東京,大阪,30kg,60\n",
                "1,東京,大阪,30kg,60,,,30kg以下,60cm以下,2400,取扱不可,ゆうパック,,\r\n"},
        // Both totals are for two parcels: ゆうパック two times one, クロネコ with its discount.
        RunCase{"SeveralParcelsPricedForAll", "東京,大阪,2,60,,複数口=2\n",
                "1,東京,大阪,2,60,,複数口=2,2kg以下,60cm以下,2200,1920,クロネコ,280,\r\n"},
        RunCase{"OptionsBothCarriers", "東京,大阪,2,60,1,\"代金引換・速達, 自宅\"\n",
                "1,東京,大阪,2,60,1,\"代金引換・速達, 自宅\",2kg以下,60cm以下,1790,1460,"
                "クロネコ,330,\r\n"},
        // What the window shows for the same selections: 書留 above 5, クロネコ
        // 取扱不可 above 30, both above 200, and the options it disables.
        RunCase{"AmountBands", "東京,大阪,2,60,8\n東京,大阪,2,60,50\n東京,大阪,2,60,250\n",
                "1,東京,大阪,2,60,8,,2kg以下,60cm以下,1460,1060,クロネコ,400,\r\n"
                "2,東京,大阪,2,60,50,,2kg以下,60cm以下,1620,取扱不可,ゆうパック,,\r\n"
                "3,東京,大阪,2,60,250,,2kg以下,60cm以下,取扱不可,取扱不可,,,\r\n"},
        RunCase{"OptionsTheWindowDisables",
                "東京,大阪,2,60,1,代金引換 着払\n東京,大阪,20kg,140,,クール\n",
                "1,東京,大阪,2,60,1,代金引換 着払,,,,,,,"
                "送料着払い と ゆうパック 代金引換 は一緒に選べません\r\n"
                "2,東京,大阪,20kg,140,,クール,,,,,,,"
                "クール は 15kg以下・120cm以下の荷物にだけ選べます\r\n",
                1},
        // A line not valid in the input's encoding gets its error row, and
        // the batch goes on.
        RunCase{"Utf8ThenShiftJis",
                "東京,大阪,2,60\n" + hakomaru::toSjis("東京,大阪,2,60\n") + "東京,大阪,2,60\n",
                "1,東京,大阪,2,60,,,2kg以下,60cm以下,1100,1060,クロネコ,40,\r\n"
                "2,,,,,,,,,,,,,2 行目が UTF-8 として読めません。ファイル全体を UTF-8 か "
                "Shift-JIS で保存し直してください\r\n"
                "3,東京,大阪,2,60,,,2kg以下,60cm以下,1100,1060,クロネコ,40,\r\n",
                1},
        // A first line that is neither does not decide the encoding.
        RunCase{"UnreadableFirstLineDecidesNothing", "\x81\x20,x\n東京,大阪,2,60\n",
                "1,,,,,,,,,,,,,1 行目が UTF-8 としても Shift-JIS として読めません。ファイル全体を "
                "UTF-8 か Shift-JIS で保存し直してください\r\n"
                "2,東京,大阪,2,60,,,2kg以下,60cm以下,1100,1060,クロネコ,40,\r\n",
                1},
        RunCase{"BadShiftJis", hakomaru::toSjis("東京,大阪,2,60\n") + "\x81\x20,x\n",
                "1,東京,大阪,2,60,,,2kg以下,60cm以下,1100,1060,クロネコ,40,\r\n"
                "2,,,,,,,,,,,,,2 行目が Shift-JIS として読めません。ファイル全体を UTF-8 か "
                "Shift-JIS で保存し直してください\r\n",
                1},
        RunCase{"BadRowDoesNotStopTheBatch", "東京,大坂,2,60\n東京,大阪,2,60\n",
                "1,東京,大坂,2,60,,,,,,,,,届け先 '大坂' "
                "は都道府県名ではありません（「同一市内」も選べます）\r\n"
                "2,東京,大阪,2,60,,,2kg以下,60cm以下,1100,1060,クロネコ,40,\r\n",
                1},
        RunCase{"QuoteFailureNamesTheCarrier", "東京,沖縄,2,60\n",
                "1,東京,沖縄,2,60,,,2kg以下,60cm以下,,,,,ゆうパック: 'abcd' は整数ではありません; "
                "クロネコ: '' は整数ではありません\r\n",
                1},
        RunCase{"UnknownOption", "東京,大阪,2,60,,ワープ\n",
                "1,東京,大阪,2,60,,ワープ,,,,,,,不明なオプション 'ワープ' です\r\n", 1},
        RunCase{"BadAmount", "東京,大阪,2,60,3万円\n",
                "1,東京,大阪,2,60,3万円,,,,,,,,\"代引金額 '3万円' "
                "は万円単位の数で指定してください（例: 3, 2.5。7文字まで）\"\r\n",
                1},
        RunCase{"TrailingEmptyColumnsAllowed", "東京,大阪,2,60,,,,\n",
                "1,東京,大阪,2,60,,,2kg以下,60cm以下,1100,1060,クロネコ,40,\r\n"},
        RunCase{"TooManyColumns", "東京,大阪,2,60,,,x\n",
                "1,東京,大阪,2,60,,,,,,,,,列が多すぎます（6 列まで）\r\n", 1},
        RunCase{"FormulaLikeInputStaysText", "=1+1,大阪,2,60\n",
                "1,'=1+1,大阪,2,60,,,,,,,,,発送地 '=1+1' は都道府県名ではありません\r\n", 1},
        RunCase{"UnterminatedQuote", "東京,\"大阪,2,60\n",
                "1,東京,\"大阪,2,60\n\",,,,,,,,,,,\"引用符 \"\" が閉じていません\"\r\n", 1}),
    [](const auto& info) { return std::string(info.param.name); });

#ifdef __GLIBC__
// A line of 20 MiB made on the fly, then one parcel; notes the most heap in
// use, as the C library counts it, whenever more input is asked for.
class LongLineSource : public std::streambuf {
  public:
    explicit LongLineSource(std::string_view pattern)
        : chunk_(repeated(pattern, 65536 / pattern.size())), pieces_(320, chunk_) {
        pieces_.push_back("\n東京,大阪,2,60\n");
    }
    size_t peakHeap = 0;

  protected:
    int_type underflow() override {
        peakHeap = std::max(peakHeap, mallinfo2().uordblks);
        if (next_ == pieces_.size())
            return traits_type::eof();
        char* piece = const_cast<char*>(pieces_[next_++].data());
        setg(piece, piece, piece + pieces_[next_ - 1].size());
        return traits_type::to_int_type(*piece);
    }

  private:
    std::string chunk_;
    std::vector<std::string_view> pieces_;
    size_t next_ = 0;
};

TEST(CsvRunMemory, StaysFlatWhateverALineHolds) {
    for (const std::string pattern : {",", "A,", "\"\"", "あ,"}) {
        LongLineSource source(pattern);
        std::istream in(&source);
        std::ostringstream out;
        const size_t before = mallinfo2().uordblks;
        EXPECT_EQ(hakomaru::cli::runCsvComparison(testTariff(), in, out, {false, 8}), 1);
        EXPECT_LT(source.peakHeap - before, 10u << 20) << pattern;
        EXPECT_EQ(out.str(), kHeader +
                                 "1,,,,,,,,,,,,,行が長すぎます（64 KiB まで）\r\n"
                                 "2,東京,大阪,2,60,,,2kg以下,60cm以下,1100,1060,クロネコ,40,\r\n")
            << pattern;
    }
}
#endif // the heap as glibc counts it

// Answers go out at once to whatever reads them as they come; a regular
// file gets buffered writes.
TEST(CsvRunOutput, FlushesEachRowToPipesAndTerminals) {
    const std::pair<std::optional<unsigned>, bool> cases[] = {{S_IFREG | 0644, false},
                                                              {S_IFIFO | 0600, true},
#ifdef S_IFSOCK
                                                              {S_IFSOCK | 0777, true},
#endif
                                                              {S_IFCHR | 0620, true},
                                                              {std::nullopt, true}};
    for (const auto& [mode, flush] : cases)
        EXPECT_EQ(hakomaru::cli::flushEachRowTo(mode), flush) << (mode ? *mode : 0);
}

TEST(CsvRunOutput, StartsWithBomUnlessAskedNot) {
    std::ostringstream withBom, without;
    hakomaru::cli::runCsvComparison(testTariff(), "", withBom, {true, 8});
    hakomaru::cli::runCsvComparison(testTariff(), "", without, {false, 8});
    EXPECT_EQ(withBom.str(), "\xEF\xBB\xBF" + kHeader);
    EXPECT_EQ(without.str(), kHeader);
}

} // namespace
