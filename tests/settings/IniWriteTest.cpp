// Writing into the INI store and the bytes that saving produces.
#include "TempFiles.h"
#include "ini/IniStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hakomaru {
namespace {

struct Write {
    std::string section, key, value;
};

struct WriteCase {
    const char* name;
    std::string input;
    std::vector<Write> writes;
    std::string expected;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

class IniWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(IniWrite, SavesExpectedBytes) {
    const WriteCase& c = GetParam();
    IniStore ini(c.input);
    for (const Write& w : c.writes)
        ini.write(w.section, w.key, w.value);
    EXPECT_EQ(ini.toBytes(), c.expected);

    // Whatever was written is found again, and reading the saved bytes
    // back gives the same file.
    for (size_t i = 0; i < c.writes.size(); ++i) {
        const Write& w = c.writes[i];
        bool overwritten = false;
        for (size_t j = i + 1; j < c.writes.size(); ++j)
            overwritten = overwritten || (iniNamesMatch(c.writes[j].section, w.section) &&
                                          iniNamesMatch(c.writes[j].key, w.key));
        if (overwritten)
            continue;
        auto found = ini.find(w.section, w.key);
        ASSERT_TRUE(found) << w.section << "/" << w.key;
        EXPECT_EQ(*found, w.value);
    }
    EXPECT_EQ(IniStore(ini.toBytes()).toBytes(), c.expected);
}

// Bytes 0x83 0x41 and 0x83 0x61 are two different double-byte characters
// whose trail bytes look like "A" and "a".
const std::string kTrailA = "\x83\x41";
const std::string kTrailLowerA = "\x83\x61";

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWrite,
    testing::Values(
        WriteCase{"ReplacesExistingKeyInPlace",
                  "[S]\nA=1\nB=2\nC=3\n",
                  {{"S", "B", "9"}},
                  "[S]\r\nA=1\r\nB=9\r\nC=3\r\n\r\n"},
        WriteCase{"AppendsNewKeyAtEndOfItsSection",
                  "[S]\nA=1\n[T]\nX=1\n",
                  {{"S", "B", "2"}},
                  "[S]\r\nA=1\r\nB=2\r\n\r\n[T]\r\nX=1\r\n\r\n"},
        WriteCase{"AppendsMissingSectionAtEnd",
                  "[S]\nA=1\n[T]\nX=1\n",
                  {{"U", "K", "v"}},
                  "[S]\r\nA=1\r\n\r\n[T]\r\nX=1\r\n\r\n[U]\r\nK=v\r\n\r\n"},
        WriteCase{"EmptyStoreGainsSection", "", {{"S", "K", "v"}}, "[S]\r\nK=v\r\n\r\n"},
        WriteCase{"DuplicateSectionWritesGoToLaterOneBothSaved",
                  "[S]\nA=1\n[T]\nX=1\n[s]\nB=2\n",
                  {{"S", "A", "5"}},
                  "[S]\r\nA=1\r\n\r\n[T]\r\nX=1\r\n\r\n[s]\r\nB=2\r\nA=5\r\n\r\n"},
        WriteCase{"DuplicateKeyReplacesTheLaterLine",
                  "[S]\nA=1\nA=2\n",
                  {{"S", "A", "3"}},
                  "[S]\r\nA=1\r\nA=3\r\n\r\n"},
        WriteCase{"LinesWithoutEqualsAreKept",
                  "[S]\nplain text\nA=1\n  [not a header\n",
                  {{"S", "A", "2"}, {"S", "B", "3"}},
                  "[S]\r\nplain text\r\nA=2\r\n[not a header\r\nB=3\r\n\r\n"},
        WriteCase{"KeyMatchedWithoutRegardToCase",
                  "[S]\npos_top=1\nOther=2\n",
                  {{"S", "POS_TOP", "7"}},
                  "[S]\r\nPOS_TOP=7\r\nOther=2\r\n\r\n"},
        WriteCase{"SectionMatchedWithoutRegardToCase",
                  "[settings]\nA=1\n",
                  {{"SETTINGS", "B", "2"}},
                  "[settings]\r\nA=1\r\nB=2\r\n\r\n"},
        WriteCase{"TrailBytesCompareExactly",
                  "[S]\n" + kTrailA + "=1\n",
                  {{"S", kTrailLowerA, "2"}},
                  "[S]\r\n" + kTrailA + "=1\r\n" + kTrailLowerA + "=2\r\n\r\n"},
        WriteCase{
            "WritesIntoEmptySectionsKeepTheirOrder",
            "[A]\n[B]\n[C]\n",
            {{"C", "x", "1"}, {"A", "y", "2"}, {"B", "z", "3"}, {"C", "w", "4"}, {"A", "y", "5"}},
            "[A]\r\ny=5\r\n\r\n[B]\r\nz=3\r\n\r\n[C]\r\nx=1\r\nw=4\r\n\r\n"},
        WriteCase{"SameKeyWrittenTwiceKeepsOneLine",
                  "[S]\nA=1\n",
                  {{"S", "B", "1"}, {"S", "b", "2"}},
                  "[S]\r\nA=1\r\nb=2\r\n\r\n"},
        WriteCase{"CommentsBlanksAndLinesBeforeFirstSectionDropped",
                  "; head\r\nstray=1\r\n\r\n[S]\r\n; note\r\n\r\n  A = 1  \r\n",
                  {{"S", "B", "2"}},
                  "[S]\r\nA = 1\r\nB=2\r\n\r\n"},
        WriteCase{"MixedLineEndsAndSpacedHeader",
                  "[ S ]\rA=1\nB=2\r\n[T]\rX=1",
                  {{"T", "Y", "2"}},
                  "[S]\r\nA=1\r\nB=2\r\n\r\n[T]\r\nX=1\r\nY=2\r\n\r\n"}),
    [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

TEST(IniWriteMove, WrittenLinesSurviveMovingTheStore) {
    IniStore a("[S]\nA=1\n");
    a.write("S", "B", "2");
    a.write("T", "C", "3");
    IniStore b = std::move(a);
    b.write("S", "D", "4");
    EXPECT_EQ(b.toBytes(), "[S]\r\nA=1\r\nB=2\r\nD=4\r\n\r\n[T]\r\nC=3\r\n\r\n");
}

TEST(IniWriteSave, SavedFileReadsBackAndLeavesNoTemporaryFile) {
    test::TempDir dir;
    const auto file = dir / "x.ini";
    IniStore ini("[S]\nA=1\n");
    ini.write("S", "B", "2");
    ini.save(file);
    EXPECT_EQ(test::readBytes(file), "[S]\r\nA=1\r\nB=2\r\n\r\n");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"x.ini"});

    IniStore again = IniStore::open(file);
    again.write("S", "A", "3");
    again.save(file);
    EXPECT_EQ(test::readBytes(file), "[S]\r\nA=3\r\nB=2\r\n\r\n");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"x.ini"});
}

// A store opened on a file it could not read whole (one too large) holds
// none of it: saving it would replace the file with what little it holds.
TEST(IniWriteSave, StoreThatCouldNotReadItsFileLeavesIt) {
    test::TempDir dir;
    const auto file = dir / "x.ini";
    test::writeBytes(file, "[S]\r\nA=1\r\n");
    std::filesystem::resize_file(file, kIniFileLimit + 1); // sparse: no disk
    IniStore ini = IniStore::open(file);
    ASSERT_FALSE(ini.readFailure().empty());
    ini.write("S", "B", "2");
    EXPECT_THROW(ini.save(file), SaveError);
    EXPECT_EQ(std::filesystem::file_size(file), kIniFileLimit + 1);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"x.ini"});
}

} // namespace
} // namespace hakomaru
