// Opening the files the program reads: whatever lies at the path, the
// opener returns at once with the bytes or a reason, and never reads more
// than the limit.
#include "FileRead.h"
#include "IniStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace hakomaru {
namespace {

namespace fs = std::filesystem;

struct ReadCase {
    const char* name;
    void (*make)(const fs::path&); // puts something at the path
    bool missing;
    std::string reason;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class FileRead : public testing::TestWithParam<ReadCase> {};

TEST_P(FileRead, RefusesAtOnceWithAReason) {
    const ReadCase& c = GetParam();
    std::string folder = (fs::temp_directory_path() / "hakomaru-read-XXXXXX").string();
    ASSERT_TRUE(::mkdtemp(folder.data()));
    const fs::path path = fs::path(folder) / "Charge.ini";
    c.make(path);
    ::alarm(10); // a blocking open or an endless read ends the test here
    const FileBytes file = readRegularFile(path, kIniFileLimit);
    const IniStore store = IniStore::open(path);
    ::alarm(0);
    EXPECT_EQ(file.reason, c.reason);
    EXPECT_EQ(file.missing, c.missing);
    EXPECT_TRUE(file.bytes.empty());
    // The store reads it as an empty file and says why.
    EXPECT_EQ(store.find("A", "k"), std::nullopt);
    EXPECT_EQ(store.readFailure(), c.reason);
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FileRead,
    testing::Values(
        ReadCase{"missing", [](const fs::path&) {}, true, "No such file or directory"},
        ReadCase{"folder", [](const fs::path& p) { fs::create_directory(p); }, false,
                 "通常のファイルではありません"},
        ReadCase{"fifo", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
                 false, "通常のファイルではありません"},
        ReadCase{"link to an endless device",
                 [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }, false,
                 "通常のファイルではありません"},
        ReadCase{"one byte over the limit",
                 [](const fs::path& p) {
                     std::ofstream(p) << "[A]\nk=v\n";
                     fs::resize_file(p, kIniFileLimit + 1); // sparse: costs no disk
                 },
                 false, "サイズ 17 MiB が上限の 16 MiB を超えています"},
        ReadCase{"huge", [](const fs::path& p) {
                     std::ofstream(p) << "[A]\nk=v\n";
                     fs::resize_file(p, 1200 * kMiB);
                 },
                 false, "サイズ 1,200 MiB が上限の 16 MiB を超えています"}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

TEST(FileRead, ReadsAFileAtTheLimitWhole) {
    const fs::path path = fs::temp_directory_path() / ("hakomaru-limit-" + std::to_string(::getpid()));
    std::ofstream(path) << "[A]\nk=v\n";
    fs::resize_file(path, kIniFileLimit);
    const FileBytes file = readRegularFile(path, kIniFileLimit);
    fs::remove(path);
    EXPECT_TRUE(file.ok()) << file.reason;
    EXPECT_EQ(file.bytes.size(), kIniFileLimit);
    EXPECT_EQ(IniStore(file.bytes).find("A", "k"), "v");
}

TEST(FileRead, Messages) {
    EXPECT_EQ(fileOpenMessage("MapOfJapan.jpg", kNotRegularReason),
              "ファイル MapOfJapan.jpg は開けません（通常のファイルではありません）");
    EXPECT_EQ(fileOpenMessage("a.ini"), "ファイル a.ini は開けません");
    EXPECT_EQ(fileCreateMessage("/x/hakomaru.ini", "Permission denied"),
              "ファイル /x/hakomaru.ini を作成できません（Permission denied）");
}

} // namespace
} // namespace hakomaru
