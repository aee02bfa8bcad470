// Where the settings file lies: beside the program while it can be written
// there, else in the user's own folder for the program.
#include "SettingsLocation.h"
#include "Settings.h"
#include "TempFiles.h"
#include "system/FileRead.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

namespace fs = std::filesystem;
using hakomaru::SettingsEnvironment;

struct LocationCase {
    const char* name;
    bool folderWritable;
    enum { NoFile, WritableFile, ReadOnlyFile } file;
    bool userFolderKnown;
    bool expectedBeside; // else in the user's folder
};

void PrintTo(const LocationCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsLocation : public testing::TestWithParam<LocationCase> {};

TEST_P(SettingsLocation, ChoosesTheFileByWhatCanBeWritten) {
    const LocationCase& c = GetParam();
    hakomaru::test::TempDir dir;
    const fs::path programDir = dir / "program";
    fs::create_directories(programDir);
    const fs::path program = programDir / "hakomaru";
    const fs::path beside = programDir / "hakomaru.ini";
    if (c.file != LocationCase::NoFile)
        hakomaru::test::writeBytes(beside, "[Settings]\r\n");

    std::set<fs::path> writable;
    if (c.folderWritable)
        writable.insert(programDir);
    if (c.file == LocationCase::WritableFile)
        writable.insert(beside);
    SettingsEnvironment env;
    if (c.userFolderKnown)
        env.userFolder = dir / "user/hakomaru";
    env.writable = [&](const fs::path& path) { return writable.count(path) > 0; };

    EXPECT_EQ(hakomaru::resolveSettingsPath(program, env),
              c.expectedBeside ? beside : dir / "user/hakomaru/hakomaru.ini");
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SettingsLocation,
    testing::Values(LocationCase{"WritableFolder", true, LocationCase::NoFile, true, true},
                    // The user made the file read-only on purpose: it stays where it is.
                    LocationCase{"WritableFolderReadOnlyFile", true, LocationCase::ReadOnlyFile,
                                 true, true},
                    LocationCase{"WritableFileInLockedFolder", false, LocationCase::WritableFile,
                                 true, true},
                    LocationCase{"LockedFolderNoFile", false, LocationCase::NoFile, true, false},
                    LocationCase{"LockedFolderReadOnlyFile", false, LocationCase::ReadOnlyFile,
                                 true, false},
                    LocationCase{"NowhereElse", false, LocationCase::NoFile, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsLocationReal, ProgramInWritableFolderKeepsItsFileBeside) {
    hakomaru::test::TempDir dir;
    EXPECT_EQ(hakomaru::resolveSettingsPath(dir / "hakomaru"), dir / "hakomaru.ini");
}

// A program folder the user may not write (locked beneath the program by
// locked_folder_test.sh): the system's own test finds it so.
TEST(SettingsLocationReal, LockedProgramFolderSendsTheFileToTheUserFolder) {
    const char* locked = std::getenv("HAKOMARU_LOCKED_FOLDER");
    if (!locked)
        GTEST_SKIP() << "run by locked_folder_test.sh";
    const fs::path folder = hakomaru::pathFromUtf8(locked);
    const SettingsEnvironment env = SettingsEnvironment::current();
    ASSERT_FALSE(env.userFolder.empty());
    EXPECT_FALSE(env.writable(folder));
    EXPECT_EQ(hakomaru::resolveSettingsPath(folder / "hakomaru.exe"),
              env.userFolder / "hakomaru.ini");
    // The test of the folder leaves nothing behind in a folder it may write.
    hakomaru::test::TempDir open;
    EXPECT_TRUE(env.writable(open.path()));
    EXPECT_TRUE(open.names().empty());
}

// The user's folder may not exist yet: the first save makes it.
TEST(SettingsLocationReal, FirstSaveCreatesTheFolder) {
    hakomaru::test::TempDir dir;
    const fs::path file = dir / "config/hakomaru/hakomaru.ini";
    const hakomaru::Settings settings(file);
    EXPECT_EQ(settings.sendingRow(), 0);
    settings.saveMainWindow(10, 20, 14, 30);
    EXPECT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(settings.sendingRow(), 14);
    EXPECT_EQ(settings.destinationRow(), 30);
}

} // namespace
