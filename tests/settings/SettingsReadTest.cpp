// Reading the user settings file: defaults, value forms and bad input.
#include "Process.h"
#include "Settings.h"
#include "TempFiles.h"
#include "text/Sjis.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace hakomaru {
namespace {

using Getter = std::function<std::int64_t(const Settings&)>;

const Getter kSendingRow = [](const Settings& s) { return s.sendingRow(); };
const Getter kDestinationRow = [](const Settings& s) { return s.destinationRow(); };
const Getter kPosTop = [](const Settings& s) { return s.startPreferences().posTop; };
const Getter kPosLeft = [](const Settings& s) { return s.startPreferences().posLeft; };
const Getter kUseCatDaihiki = [](const Settings& s) { return s.startPreferences().useCatDaihiki; };
const Getter kHomeShipping = [](const Settings& s) { return s.startPreferences().homeShipping; };
const Getter kShowExplain = [](const Settings& s) { return s.startPreferences().showExplain; };
const Getter kListRows = [](const Settings& s) { return s.startPreferences().listRows; };
const Getter kListTextColor = [](const Settings& s) { return s.startPreferences().listTextColor; };
const Getter kShowPostalAlways = [](const Settings& s) {
    return s.postalAtStart().showPostalAlways;
};
const Getter kShowPostal = [](const Settings& s) { return s.postalAtStart().showPostal; };
const Getter kTabIndex = [](const Settings& s) { return s.postalTabIndex(); };
const Getter kRemittance = [](const Settings& s) { return s.remittanceMethod(); };
const Getter kOptionRemittance = [](const Settings& s) {
    return s.optionValues().remittanceMethod;
};
const Getter kOptionListRows = [](const Settings& s) { return s.optionValues().listRows; };
const Getter kOptionShowExplain = [](const Settings& s) { return s.optionValues().showExplain; };
const Getter kOptionShowPostalAlways = [](const Settings& s) {
    return s.optionValues().showPostalAlways;
};
const Getter kPlaceWidth = [](const Settings& s) { return s.windowPlace().width; };
const Getter kPlaceHeight = [](const Settings& s) { return s.windowPlace().height; };
const Getter kOptionListTextColor = [](const Settings& s) {
    return s.optionValues().listTextColor;
};

struct ReadCase {
    const char* name;
    std::string file; // UTF-8, stored as code page 932
    Getter get;
    std::int64_t expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsRead : public testing::TestWithParam<ReadCase> {};

TEST_P(SettingsRead, GivesValueOrDefault) {
    const ReadCase& c = GetParam();
    test::TempDir dir;
    const auto file = dir / "hakomaru.ini";
    test::writeBytes(file, toSjis(c.file));
    EXPECT_EQ(c.get(Settings(file)), c.expected);
    // Reading never changes the file.
    EXPECT_EQ(test::readBytes(file), toSjis(c.file));
}

constexpr std::int64_t kWindowText = kWindowTextColor;

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsRead,
    testing::Values(
        // Integers.
        ReadCase{"HexRows", "[Settings]\n行数=0x10\n", kListRows, 16},
        ReadCase{"LetterRows", "[Settings]\n行数=abc\n", kListRows, 24},
        ReadCase{"LetterRowsInOptions", "[Settings]\n行数=abc\n", kOptionListRows, 24},
        ReadCase{"EmptyRows", "[Settings]\n行数=\n", kListRows, 24},
        ReadCase{"BareHexPrefix", "[Settings]\n行数=0x\n", kListRows, 24},
        ReadCase{"NegativeRowsUnchanged", "[Settings]\n行数=-5\n", kListRows, -5},
        ReadCase{"SendingRowOutsideList", "[Settings]\n発送地=999\n", kSendingRow, 999},
        ReadCase{"DestinationRowNegative", "[Settings]\n届け先=-5\n", kDestinationRow, -5},
        ReadCase{"DestinationRowHex", "[Settings]\n届け先=0x10\n", kDestinationRow, 16},
        ReadCase{"PositionsWithSpacing", "[Settings]\n  Pos_Left  =  -30  \n", kPosLeft, -30},
        ReadCase{"PositionMissing", "[Settings]\nPos_Left=5\n", kPosTop, 0},
        ReadCase{"TabIndexLetters", "[Settings]\nTabIndex=abc\n", kTabIndex, 0},
        ReadCase{"TabIndexOutOfRange", "[Settings]\nTabIndex=7\n", kTabIndex, 7},
        // Booleans: any whole number other than 0 is true.
        ReadCase{"BoolTwo", "[Settings]\n代引利用=2\n", kUseCatDaihiki, 1},
        ReadCase{"BoolMinusFive", "[Settings]\n自宅発送=-5\n", kHomeShipping, 1},
        ReadCase{"BoolHex", "[Settings]\nShowPostal=0x10\n", kShowPostal, 1},
        ReadCase{"BoolEmptyFalseDefault", "[Settings]\n代引利用=\n", kUseCatDaihiki, 0},
        ReadCase{"BoolEmptyTrueDefault", "[Settings]\n説明欄表示=\n", kShowExplain, 1},
        ReadCase{"BoolLettersTrueDefault", "[Settings]\n説明欄表示=abc\n", kOptionShowExplain, 1},
        ReadCase{"BoolZero", "[Settings]\n説明欄表示=0\n", kShowExplain, 0},
        ReadCase{"ShowPostalAlways", "[Settings]\n普通郵便表示=1\n", kShowPostalAlways, 1},
        ReadCase{"ShowPostalAlwaysInOptions", "[Settings]\n普通郵便表示=1\n",
                 kOptionShowPostalAlways, 1},
        // The editor's window: a size is whole or none.
        ReadCase{"EditorSize", "[Settings]\nWidth=800\nHeight=500\n", kPlaceHeight, 500},
        ReadCase{"EditorSizeWithoutHeight", "[Settings]\nWidth=800\n", kPlaceWidth, 0},
        ReadCase{"EditorSizeNegative", "[Settings]\nWidth=800\nHeight=-1\n", kPlaceWidth, 0},
        // Colours.
        ReadCase{"ColourDefault", "", kListTextColor, kWindowText},
        ReadCase{"ColourWrittenDefault", "[Settings]\n文字色=-2147483640\n", kListTextColor,
                 kWindowText},
        ReadCase{"ColourExplicit", "[Settings]\n文字色=255\n", kOptionListTextColor, 255},
        ReadCase{"ColourHexSystem", "[Settings]\n文字色=0x8000000D\n", kListTextColor, -2147483635},
        ReadCase{"ColourLetters", "[Settings]\n文字色=red\n", kListTextColor, kWindowText},
        // Remittance method.
        ReadCase{"RemittanceDefault", "[Settings]\nNo=3\n", kRemittance, 8},
        ReadCase{"RemittanceRead", "[Type]\nNo=3\n", kRemittance, 3},
        ReadCase{"RemittanceNoneSelected", "[Type]\nNo=-1\n", kOptionRemittance, -1},
        ReadCase{"RemittanceOutOfRange", "[Type]\nNo=12\n", kRemittance, 12},
        ReadCase{"RemittanceLetters", "[Type]\nNo=abc\n", kOptionRemittance, 8},
        // Names and sections.
        ReadCase{"KeyInWrongSection", "[Type]\n行数=10\n", kListRows, 24},
        ReadCase{"NamesIgnoreCase", "[settings]\npos_top=7\n", kPosTop, 7},
        ReadCase{"SectionNameIgnoresCase", "[TYPE]\nno=2\n", kRemittance, 2},
        ReadCase{"LaterSectionHidesEarlier", "[Settings]\nPos_Top=1\n[Settings]\nPos_Left=2\n",
                 kPosTop, 0},
        ReadCase{"LaterKeyWins", "[Settings]\n発送地=1\n発送地=2\n", kSendingRow, 2},
        ReadCase{"CommentedOut", "[Settings]\n;発送地=4\n", kSendingRow, 0},
        ReadCase{"BeforeFirstSection", "発送地=4\n[Settings]\n", kSendingRow, 0},
        ReadCase{"CarriageReturnsOnly", "[Settings]\r行数=12\r発送地=3", kSendingRow, 3}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST(SettingsRead, MissingFileGivesEveryDefault) {
    test::TempDir dir;
    Settings s(dir / "none.ini");
    const StartPreferences start = s.startPreferences();
    EXPECT_EQ(start.posTop, 0);
    EXPECT_EQ(start.posLeft, 0);
    EXPECT_FALSE(start.useCatDaihiki);
    EXPECT_FALSE(start.homeShipping);
    EXPECT_TRUE(start.showExplain);
    EXPECT_EQ(start.listRows, 24);
    EXPECT_EQ(start.listTextColor, kWindowTextColor);
    const OptionValues options = s.optionValues();
    EXPECT_EQ(options.remittanceMethod, 8);
    EXPECT_FALSE(options.showPostalAlways);
    EXPECT_TRUE(options.showExplain);
    EXPECT_EQ(options.listRows, 24);
    EXPECT_EQ(options.listTextColor, kWindowTextColor);
    EXPECT_EQ(s.sendingRow(), 0);
    EXPECT_EQ(s.destinationRow(), 0);
    EXPECT_EQ(s.postalTabIndex(), 0);
    EXPECT_FALSE(s.postalAtStart().showPostal);
    EXPECT_EQ(s.youpackHomePage(), "https://www.post.japanpost.jp/service/you_pack/");
    EXPECT_EQ(s.catHomePage(), "https://www.kuronekoyamato.co.jp/");
    EXPECT_FALSE(std::filesystem::exists(dir / "none.ini"));
}

struct WebCase {
    const char* name;
    std::string bytes; // raw file bytes
    std::string youpack;
    std::string cat;
};

void PrintTo(const WebCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsWeb : public testing::TestWithParam<WebCase> {};

TEST_P(SettingsWeb, AddressesAreDecoded) {
    const WebCase& c = GetParam();
    test::TempDir dir;
    const auto file = dir / "hakomaru.ini";
    test::writeBytes(file, c.bytes);
    Settings s(file);
    EXPECT_EQ(s.youpackHomePage(), c.youpack);
    EXPECT_EQ(s.catHomePage(), c.cat);
}

const std::string kYoupackDefault = "https://www.post.japanpost.jp/service/you_pack/";
const std::string kCatDefault = "https://www.kuronekoyamato.co.jp/";

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsWeb,
    testing::Values(
        WebCase{"HandAdded",
                toSjis("[WEB]\nゆうパック = https://example.jp/小包\nクロネコ=http://c.example/\n"),
                "https://example.jp/小包", "http://c.example/"},
        WebCase{"OnlyOne", toSjis("[web]\nクロネコ=x\n"), kYoupackDefault, "x"},
        WebCase{"WrongSection", toSjis("[Settings]\nゆうパック=x\n"), kYoupackDefault, kCatDefault},
        WebCase{"BackslashStaysBackslash", toSjis("[WEB]\nゆうパック=C:\\help\\a.htm\n"),
                "C:\\help\\a.htm", kCatDefault},
        // A lead byte with nothing valid after it becomes U+FFFD.
        WebCase{"InvalidShiftJis", toSjis("[WEB]\nクロネコ=a") + "\x81\x20" + "b\x81\n",
                kYoupackDefault, "a\xEF\xBF\xBD b\xEF\xBF\xBD"},
        WebCase{"UtfEightNamesDoNotMatch", "[WEB]\nゆうパック=x\n", kYoupackDefault, kCatDefault}),
    [](const testing::TestParamInfo<WebCase>& info) { return std::string(info.param.name); });

// Arbitrary bytes (invalid Shift-JIS, NUL, stray brackets) never crash a
// read, and a save still produces a file that reads back.
TEST(SettingsRead, ArbitraryBytesReadAndSaveSafely) {
    test::TempDir dir;
    const auto file = dir / "hakomaru.ini";
    std::string bytes = "[Settings]\n";
    std::uint32_t x = 12345;
    for (int i = 0; i < 65536; ++i) {
        x = x * 1103515245u + 12345u;
        bytes.push_back(static_cast<char>(x >> 24));
    }
    bytes += "\n[Settings\x81]\n\x81=\x81\n[Settings]\n" + toSjis("発送地=3") + "\x81";
    test::writeBytes(file, bytes);
    Settings s(file);
    (void)s.startPreferences();
    (void)s.optionValues();
    (void)s.youpackHomePage();
    EXPECT_EQ(s.sendingRow(), 0); // "3" followed by a stray lead byte is no number
    s.saveMainWindow(1, 2, 3, 4);
    EXPECT_EQ(s.sendingRow(), 3);
    EXPECT_EQ(s.destinationRow(), 4);
    EXPECT_EQ(s.startPreferences().posLeft, 2);
}

TEST(SettingsRead, TenMegabyteFile) {
    test::TempDir dir;
    const auto file = dir / "hakomaru.ini";
    std::string bytes = toSjis("[Settings]\n行数=30\n");
    const std::string filler = "Filler=" + std::string(100, 'x') + "\r\n";
    while (bytes.size() < 10u * 1024 * 1024)
        bytes += filler;
    bytes += std::string(1024 * 1024, 'y'); // and one long line without "="
    bytes += toSjis("\n[WEB]\nクロネコ=") + std::string(64 * 1024, 'z') + "\n";
    test::writeBytes(file, bytes);
    Settings s(file);
    EXPECT_EQ(s.startPreferences().listRows, 30);
    EXPECT_EQ(s.catHomePage().size(), 64u * 1024);
    s.savePostalClosed(1);
    EXPECT_EQ(s.postalTabIndex(), 1);
    EXPECT_EQ(s.optionValues().listRows, 30);
    EXPECT_GT(std::filesystem::file_size(file), 10u * 1024 * 1024);
}

// A folder or a FIFO where the file should be reads as a missing file;
// a FIFO with no writer must not block the read.
TEST(SettingsRead, FolderOrFifoGivesDefaultsWithoutHanging) {
    test::TempDir dir;
    const auto folder = dir / "folder.ini";
    std::filesystem::create_directory(folder);
    std::vector<std::filesystem::path> paths = {folder};
#ifndef _WIN32 // Windows has no FIFOs
    const auto fifo = dir / "fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    paths.push_back(fifo);
#endif

    test::endProgramAfter(20); // a hang ends the test program instead of the test run
    for (const auto& path : paths) {
        Settings s(path);
        EXPECT_EQ(s.startPreferences().listRows, 24) << path;
        EXPECT_EQ(s.remittanceMethod(), 8) << path;
        EXPECT_EQ(s.catHomePage(), kCatDefault) << path;
    }
    test::endProgramAfter(0);
}

TEST(SettingsPath, ExtensionBecomesIni) {
    struct Case {
        std::filesystem::path program, expected;
    };
    for (const Case& c :
         {Case{"/opt/x/hakomaru", "/opt/x/hakomaru.ini"},
          Case{"/opt/x/hakomaru.exe", "/opt/x/hakomaru.ini"},
          Case{"/opt/x.y/hakomaru", "/opt/x.y/hakomaru.ini"},
          Case{"/opt/x/hako.maru.bin", "/opt/x/hako.maru.ini"}, Case{"hakomaru", "hakomaru.ini"}})
        EXPECT_EQ(settingsPathFor(c.program), c.expected) << c.program;
}

} // namespace
} // namespace hakomaru
