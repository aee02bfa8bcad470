// Where the settings file lies: beside the program while it can be written
// there, else in the user's configuration folder.
#include "SettingsLocation.h"
#include "Settings.h"
#include "TempFiles.h"

#include <gtest/gtest.h>

#include <set>

namespace {

namespace fs = std::filesystem;
using hakomaru::SettingsEnvironment;

struct LocationCase {
    const char* name;
    bool folderWritable;
    enum { NoFile, WritableFile, ReadOnlyFile } file;
    std::string configHome; // "" unset; "@" stands for the scratch folder
    std::string home;
    std::string expected; // "beside", or a path under the scratch folder
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
    auto expand = [&](const std::string& text) {
        return text.starts_with("@") ? (dir.path().string() + text.substr(1)) : text;
    };
    SettingsEnvironment env;
    env.configHome = expand(c.configHome);
    env.home = expand(c.home);
    env.writable = [&](const fs::path& path) { return writable.count(path) > 0; };

    const fs::path expected = c.expected == "beside" ? beside : fs::path(expand(c.expected));
    EXPECT_EQ(hakomaru::resolveSettingsPath(program, env), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SettingsLocation,
    testing::Values(LocationCase{"WritableFolder", true, LocationCase::NoFile, "@/xdg", "@/home",
                                 "beside"},
                    // The user made the file read-only on purpose: it stays where it is.
                    LocationCase{"WritableFolderReadOnlyFile", true, LocationCase::ReadOnlyFile,
                                 "@/xdg", "@/home", "beside"},
                    LocationCase{"WritableFileInLockedFolder", false, LocationCase::WritableFile,
                                 "@/xdg", "@/home", "beside"},
                    LocationCase{"LockedFolderNoFile", false, LocationCase::NoFile, "@/xdg",
                                 "@/home", "@/xdg/hakomaru/hakomaru.ini"},
                    LocationCase{"LockedFolderReadOnlyFile", false, LocationCase::ReadOnlyFile,
                                 "@/xdg", "@/home", "@/xdg/hakomaru/hakomaru.ini"},
                    LocationCase{"NoXdgConfigHome", false, LocationCase::NoFile, "", "@/home",
                                 "@/home/.config/hakomaru/hakomaru.ini"},
                    LocationCase{"RelativeXdgConfigHomeIgnored", false, LocationCase::NoFile,
                                 "relative", "@/home", "@/home/.config/hakomaru/hakomaru.ini"},
                    LocationCase{"NowhereElse", false, LocationCase::NoFile, "", "", "beside"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsLocationReal, ProgramInWritableFolderKeepsItsFileBeside) {
    hakomaru::test::TempDir dir;
    EXPECT_EQ(hakomaru::resolveSettingsPath(dir / "hakomaru"), dir / "hakomaru.ini");
}

// The user's configuration folder may not exist yet: the first save makes it.
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
