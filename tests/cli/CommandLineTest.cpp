#include "CommandLine.h"
#include "Selections.h"
#include "UsageError.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace hakomaru;
using namespace hakomaru::cli;

// What a person types, and the row it selects (-1: refused with a message).
struct RowCase {
    const char* text;
    int row;
};

template <typename Select> void expectRows(const std::vector<RowCase>& cases, Select select) {
    for (const RowCase& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.row < 0)
            EXPECT_THROW(select(c.text), UsageError);
        else
            EXPECT_EQ(select(c.text), c.row);
    }
}

TEST(Selections, Prefectures) {
    expectRows({{"東京", 14},
                {"東京都", 14},
                {"北海道", 0},
                {"京都", 29},
                {"京都府", 29},
                {"大阪府", 30},
                {"神奈川県", 15},
                {" 沖縄 ", 52},
                {"名古屋", -1},
                {"", -1},
                {"━━東北", -1},
                {"同一市内", -1},
                {"東京県", -1},
                {"大阪都", -1},
                {"北海道県", -1},
                {"静岡県", 23}},
               sendingRowOf);
    expectRows(
        {{"同一市内", 54}, {"沖縄", 52}, {"同一市内県", -1}, {"━━特殊地域", -1}, {"━━近畿", -1}},
        destinationRowOf);
}

TEST(Selections, ParcelWeights) {
    expectRows({{"2kg", 0},   {"2", 0},       {"0.5", 0},      {"800g", 0},    {"2000g", 0},
                {"2001g", 1}, {"2.1kg", 1},   {" 2kg以下", 0}, {"4kg以下", 1}, {"4.5", 2},
                {"15", 8},    {"15.01kg", 9}, {"30kg", 13},    {"30.5", -1},   {"0", -1},
                {"-1", -1},   {"1e1", -1},    {"kg", -1},      {"2 kg", 0},    {"2lb", -1},
                {"1.2.3", -1}},
               parcelWeightRowOf);
}

TEST(Selections, Sizes) {
    expectRows({{"60cm", 0},
                {"60", 0},
                {"61", 1},
                {" 60cm以下", 0},
                {"150cm", 5},
                {"155", 6},
                {"170", 7},
                {"171", -1},
                {"60kg", -1},
                {"0", -1}},
               sizeRowOf);
}

TEST(Selections, PostalWeights) {
    auto nonStandard = [](std::string_view t) { return postalWeightRowOf(t, false); };
    auto standard = [](std::string_view t) { return postalWeightRowOf(t, true); };
    expectRows({{"10g", 4},
                {"50", 4},
                {"51", 5},
                {"0.1kg", 6},
                {"100.5", 7},
                {"250g", 9},
                {"1kg", 12},
                {"1.2kg", 13},
                {"1.5kg以下", 13},
                {"3kg", 16},
                {"4kg", 17},
                {"4001g", -1}},
               nonStandard);
    expectRows({{"25g", 1}, {"26", 2}, {"50g", 2}, {"51g", -1}}, standard);
}

TEST(Selections, RowNumbers) {
    auto weightRow = [](std::string_view t) { return rowNumberOf(t, 14, "重さ"); };
    expectRows({{"0", 0},
                {"13", 13},
                {"14", -1},
                {"-1", -1},
                {"+1", -1},
                {"1.0", -1},
                {"", -1},
                {"99999999999", -1}},
               weightRow);
}

std::vector<std::string_view> argsOf(std::initializer_list<std::string_view> args) {
    return args;
}

TEST(CommandLine, ParcelKeepsTheOptionsInTheirOrder) {
    const auto inv = parseCommandLine(
        argsOf({"--from", "大阪府", "--to=同一市内", "--weight", "4.5", "--size-row", "6",
                "--kakitome", "--you-daihiki", "--cat-home", "--cat-cool", "--fukusu", "3", "--cod",
                "15.5", "--sokin", "0", "--tariff", "/tmp/t.ini"}));
    EXPECT_EQ(inv.mode, Mode::Parcel);
    ASSERT_TRUE(inv.tariff);
    EXPECT_EQ(*inv.tariff, "/tmp/t.ini");
    const ParcelChoices& p = inv.parcel;
    EXPECT_EQ(p.fromRow, 30);
    EXPECT_EQ(p.toRow, 54);
    EXPECT_EQ(p.weightRow, 2);
    EXPECT_EQ(p.sizeRow, 6);
    using P = ParcelOption;
    EXPECT_EQ(p.options,
              (std::vector{P::Kakitome, P::YouDaihiki, P::CatHome, P::CatCool, P::CatFukusu}));
    EXPECT_EQ(p.parcelCount, "3");
    EXPECT_EQ(p.amount, "15.5");
    EXPECT_EQ(p.remittance, 0);
}

TEST(CommandLine, PostalSubcommands) {
    auto letter = parseCommandLine(argsOf({"--tariff", "x.ini", "letter", "--weight", "30g",
                                           "--teikei", "--morning10", "--daihiki", "--cod", "2"}));
    EXPECT_EQ(letter.mode, Mode::Letter);
    EXPECT_EQ(letter.letter.weightRow, 2); // --teikei given after --weight still counts
    EXPECT_EQ(letter.letter.options, (std::vector{LetterOption::Morning10, LetterOption::Daihiki}));
    EXPECT_EQ(letter.letter.amount, "2");
    EXPECT_EQ(letter.letter.remittance, 8);
    ASSERT_TRUE(letter.tariff);

    auto book =
        parseCommandLine(argsOf({"book", "--weight", "2kg", "--weight-row", "5", "--kani"}));
    EXPECT_EQ(book.mode, Mode::Book);
    EXPECT_EQ(book.book.weightRow, 5); // the last weight given wins
    EXPECT_EQ(book.book.options, std::vector{BookOption::Kani});
    EXPECT_FALSE(book.tariff);

    EXPECT_EQ(parseCommandLine(argsOf({"--jsonl"})).mode, Mode::Jsonl);
    EXPECT_EQ(parseCommandLine(argsOf({"--tariff=a.ini", "--jsonl"})).tariff, "a.ini");
}

// --help shows the help of the command it goes with; the whole help for
// the parcel comparison. After "--" it is a name like any other.
TEST(CommandLine, HelpOfTheCommandGiven) {
    const std::pair<std::vector<std::string_view>, std::optional<Mode>> cases[] = {
        {{"--help"}, std::nullopt},           {{"--from", "東京", "-h"}, std::nullopt},
        {{"book", "--help"}, Mode::Book},     {{"--tariff", "x.ini", "rows", "-h"}, Mode::Rows},
        {{"--jsonl", "--help"}, Mode::Jsonl},
    };
    for (const auto& [args, topic] : cases) {
        const Invocation inv = parseCommandLine(args);
        EXPECT_EQ(inv.mode, Mode::Help) << args.front();
        EXPECT_EQ(inv.helpTopic, topic) << args.front();
    }
    EXPECT_EQ(parseCommandLine(argsOf({"set", "--", "速達", "--help", "1"})).mode, Mode::Set);
}

// Command lines refused with exit status 2.
class CommandLineRefused : public testing::TestWithParam<std::vector<std::string_view>> {};

TEST_P(CommandLineRefused, ThrowsUsageError) {
    EXPECT_THROW(parseCommandLine(GetParam()), UsageError);
}

const std::vector<std::string_view> kParcel = {"--from", "東京", "--to", "大阪", "--weight", "2kg"};

std::vector<std::string_view> parcelWith(std::initializer_list<std::string_view> more) {
    auto args = kParcel;
    args.insert(args.end(), more);
    return args;
}

INSTANTIATE_TEST_SUITE_P(
    BadArguments, CommandLineRefused,
    testing::Values(
        argsOf({}), parcelWith({}), parcelWith({"--size"}), parcelWith({"--size", "60", "extra"}),
        parcelWith({"--size", "60", "--bogus"}), parcelWith({"--size", "60", "--kakitome=1"}),
        parcelWith({"--size", "60", "--cod", "."}), parcelWith({"--size", "60", "--cod", "-1"}),
        parcelWith({"--size", "60", "--cod", "12345678"}),
        parcelWith({"--size", "60", "--cod", "1e3"}), parcelWith({"--size", "60", "--fukusu", "0"}),
        parcelWith({"--size", "60", "--fukusu", "1000"}),
        parcelWith({"--size", "60", "--fukusu", "2.5"}),
        parcelWith({"--size", "60", "--sokin", "9"}), parcelWith({"--size", "60", "--teikei"}),
        parcelWith({"--size-row", "8"}), argsOf({"--to", "大阪", "--weight", "2", "--size", "60"}),
        argsOf({"letter"}), argsOf({"letter", "--weight", "51g", "--teikei"}),
        argsOf({"letter", "--weight-row", "18"}), argsOf({"book", "--weight", "1kg", "--teikei"}),
        argsOf({"book", "--weight", "1kg", "--from", "東京"}),
        argsOf({"--jsonl", "--from", "東京"}), argsOf({"--", "--jsonl"}), argsOf({"diff", "a"}),
        argsOf({"diff", "a", "b", "c"}), argsOf({"diff", "--tariff", "a", "b"}),
        argsOf({"--tariff", "a", "rows"}), argsOf({"check", "--tariff"})));

} // namespace
