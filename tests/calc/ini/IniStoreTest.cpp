#include "ini/IniStore.h"
#include "Process.h"
#include "TariffText.h"
#include "TempFiles.h"
#include "ini/IniValues.h"
#include "system/FileRead.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace hakomaru;
using hakomaru::test::tariffFrom;

namespace {

std::optional<std::string> lookup(const IniStore& ini, std::string_view section,
                                  std::string_view key) {
    auto value = ini.find(toSjis(section), toSjis(key));
    return value ? std::optional<std::string>(fromSjis(*value)) : std::nullopt;
}

} // namespace

TEST(IniStore, ReadingRules) {
    struct Case {
        const char* name;
        std::string file; // UTF-8, encoded to code page 932 before reading
        std::string_view section, key;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"plain entry", "[A]\nk=v\n", "A", "k", "v"},
        {"CR line ends", "[A]\rk=v\rj=w", "A", "j", "w"},
        {"CR LF line ends", "[A]\r\nk=v\r\n", "A", "k", "v"},
        {"mixed line ends", "[A]\r\n\rk=v\n\r\nj=w", "A", "j", "w"},
        {"no final line end", "[A]\nk=v", "A", "k", "v"},
        {"blanks around =", "[A]\n  k  =  v  \n", "A", "k", "v"},
        {"control bytes trimmed", "[A]\n\t\x01k=v\x1f\t\n", "A", "k", "v"},
        {"full-width blank kept", "[A]\nk=　v\n", "A", "k", "　v"},
        {"first = splits", "[A]\nk=a=b\n", "A", "k", "a=b"},
        {"empty value", "[A]\nk=\n", "A", "k", ""},
        {"comment line", "[A]\n;k=v\n", "A", "k", std::nullopt},
        {"comment after blanks", "[A]\n   ;k=v\n", "A", "k", std::nullopt},
        {"line without =", "[A]\nk\n", "A", "k", std::nullopt},
        {"before any section", "k=v\n[A]\n", "A", "k", std::nullopt},
        {"section name trimmed", "[  A  ]\nk=v\n", "A", "k", "v"},
        {"blanks around header", "  [A]  \nk=v\n", "A", "k", "v"},
        {"header without ]", "[A]\n[B\nk=v\n", "A", "k", "v"},
        {"case-insensitive names", "[abc]\nKey=v\n", "ABC", "kEY", "v"},
        {"later section hides earlier", "[A]\nk=1\nj=2\n[B]\n[A]\nk=3\n", "A", "j", std::nullopt},
        {"later section found", "[A]\nk=1\n[a]\nk=3\n", "A", "k", "3"},
        {"later key wins", "[A]\nk=1\nK=2\n", "A", "k", "2"},
        {"missing section", "[A]\nk=v\n", "B", "k", std::nullopt},
        {"Japanese names", "[着払]\n料金 = 25\n", "着払", "料金", "25"},
        {"value keeps inner blanks", "[A]\nk= a  b \n", "A", "k", "a  b"},
        {"NUL bytes are blanks", std::string("[A]\nk=v\0\n", 9), "A", "k", "v"},
    };
    // Each rule holds for the first look-ups, found by a scan, and for those
    // after many, found through the store's indexes.
    for (const bool indexed : {false, true})
        for (const auto& c : cases) {
            const IniStore store = tariffFrom(c.file);
            for (int i = 0; indexed && i < 40; ++i)
                store.find(toSjis(c.section), "\x01warm-up");
            EXPECT_EQ(lookup(store, c.section, c.key), c.value)
                << c.name << (indexed ? ", indexed" : "");
        }
}

TEST(IniStore, WritesAreFoundThroughTheIndexes) {
    IniStore store("[A]\r\nk=1\r\n[B]\r\nj=2\r\n");
    for (int i = 0; i < 40; ++i)
        store.find("A", "missing");
    store.write("a", "K", "3");   // an existing key, in place
    store.write("A", "new", "4"); // a new key at the end of its section
    store.write("C", "c", "5");   // a new section
    EXPECT_EQ(store.find("A", "k"), "3");
    EXPECT_EQ(store.find("A", "NEW"), "4");
    EXPECT_EQ(store.find("c", "C"), "5");
    EXPECT_EQ(store.find("B", "j"), "2");
    EXPECT_EQ(store.toBytes(), "[A]\r\nK=3\r\nnew=4\r\n\r\n[B]\r\nj=2\r\n\r\n[C]\r\nc=5\r\n\r\n");
}

// Line numbers are counted from blocks of the file: every line end, on
// either side of a block's edge, counts as the lines are split.
TEST(IniStore, LineNumbersAsTheLinesAreSplit) {
    for (const std::string_view end : {"\r\n", "\r", "\n", "\n\r"})
        for (size_t pad = 250; pad < 262; ++pad) {
            const IniStore store(std::string(pad, 'a') + std::string(end) + "b" + std::string(end) +
                                 std::string(end) + std::string(pad, 'c') + std::string(end));
            const auto lines = iniLines(store.bytes());
            for (const IniLine& line : lines)
                EXPECT_EQ(store.lineNumberOf(line.text), line.number)
                    << "pad " << pad << ", line " << line.number;
            EXPECT_EQ(store.lineNumberOf(store.bytes().substr(store.bytes().size())), lines.size());
        }
}

TEST(IniStore, CaseFoldingNeverTouchesTrailBytes) {
    // ヂ is 83 61 and ア is 83 41: their trail bytes look like 'a' and 'A',
    // so folding them would make two different names match.
    const std::string lower = toSjis("ヂ");
    const std::string upper = toSjis("ア");
    ASSERT_EQ(lower, "\x83\x61");
    ASSERT_EQ(upper, "\x83\x41");
    IniStore ini("[S]\r\n" + lower + "=1\r\n");
    EXPECT_TRUE(ini.find("S", lower));
    EXPECT_FALSE(ini.find("S", upper));
    EXPECT_FALSE(iniNamesMatch(lower, upper));
    // A single-byte letter after a double-byte character is folded.
    EXPECT_TRUE(iniNamesMatch("\x91\xE6"
                              "a",
                              "\x91\xE6"
                              "A"));
    // Half-width katakana bytes are single characters and never letters.
    EXPECT_FALSE(iniNamesMatch("\xC1", "\xE1"));
    EXPECT_FALSE(iniNamesMatch("ab", "abc"));
}

TEST(IniStore, TypedReads) {
    const IniStore ini = tariffFrom("[着払]\n"
                                    "a = 25\n"
                                    "b=0x19\n"
                                    "c=25円\n"
                                    "d=\n"
                                    "e=0x\n"
                                    "f=-7\n"
                                    "g=2\n"
                                    "h=0\n"
                                    "i=99999999999\n"
                                    "j=$1A\n");
    const std::string s = toSjis("着払");
    struct Case {
        std::string_view key;
        std::int32_t value;
    };
    const Case cases[] = {{"a", 25}, {"b", 25}, {"c", 20}, {"d", 20}, {"e", 20}, {"f", -7},
                          {"g", 2},  {"h", 0},  {"i", 20}, {"j", 26}, {"zz", 20}};
    for (const auto& c : cases)
        EXPECT_EQ(readInteger(ini, s, c.key, 20), c.value) << c.key;
    EXPECT_TRUE(readBool(ini, s, "g", false));
    EXPECT_FALSE(readBool(ini, s, "h", true));
    EXPECT_TRUE(readBool(ini, s, "d", true));
    EXPECT_EQ(readString(ini, s, "a"), "25");
    EXPECT_EQ(readString(ini, s, "zz", "x"), "x");
}

// Whatever lies at the path, opening returns at once: a file is read whole
// up to the limit; anything else reads as empty, with the reason kept.
TEST(IniStore, OpensWhateverLiesAtThePath) {
    const test::TempDir scratch; // of its own: other test runs may run beside this one
    const std::filesystem::path& dir = scratch.path();
    std::filesystem::create_directories(dir / "folder.ini");
    for (const char* name : {"file.ini", "limit.ini", "over.ini"})
        std::ofstream(dir / name, std::ios::binary) << "[A]\r\nk=v\r\n";
    std::filesystem::resize_file(dir / "limit.ini", kIniFileLimit); // sparse: no disk
    std::filesystem::resize_file(dir / "over.ini", 1200 * kMiB);
    const std::string notRegular = "通常のファイルではありません";
    std::vector<std::pair<const char*, std::string>> cases = {
        {"file.ini", ""},
        {"limit.ini", ""},
        {"folder.ini", notRegular},
        {"over.ini", "サイズ 1,200 MiB が上限の 16 MiB を超えています"}};
#ifdef _WIN32
    // Windows has neither FIFOs nor /dev/zero; its null device is named NUL
    // in every folder.
    cases.push_back({"NUL", notRegular});
#else
    ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir / "zero.ini");
    cases.push_back({"fifo.ini", notRegular});
    cases.push_back({"zero.ini", notRegular});
#endif
    test::endProgramAfter(10); // a blocking open or an endless read ends the test here
    for (const auto& [name, failure] : cases) {
        const IniStore store = IniStore::open(dir / name);
        EXPECT_EQ(store.find("A", "k"), failure.empty() ? std::optional("v") : std::nullopt)
            << name;
        EXPECT_EQ(store.readFailure(), failure) << name;
    }
    EXPECT_TRUE(IniStore::open(dir / "missing.ini").fileMissing());
    test::endProgramAfter(0);
}

// Looking for section headers passes over a line once, however many "["
// it holds: one pass per bracket would take hours on this one.
TEST(IniStore, LineFullOfBracketsIsReadInOnePass) {
    std::string bytes = "[A]\r\nk=v\r\n";
    for (int i = 0; i < 4 << 20; ++i)
        bytes += "x[";
    bytes += "\r\n[B]\r\nk=w\r\n";
    test::endProgramAfter(10);
    const IniStore store(std::move(bytes));
    EXPECT_EQ(store.find("A", "k"), "v");
    EXPECT_EQ(store.find("B", "k"), "w");
    test::endProgramAfter(0);
}

TEST(IniStore, KeepsTheStoreValidWhenMoved) {
    IniStore a("[A]\r\nk=v\r\n"); // short enough for the small-string buffer
    IniStore b = std::move(a);
    EXPECT_EQ(b.find("A", "k"), "v");
}
