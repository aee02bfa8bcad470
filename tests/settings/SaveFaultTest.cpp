// Saving under faults: a writer killed in the middle of a save, two
// programs saving the same settings file at once, a folder that takes no new
// file, a path that links to something other than a file, a file too large
// to read. Either way the file must be whole afterwards: the old content or
// the new one, never a mixture, and nothing else left in the folder.
#include "IniStore.h"
#include "Settings.h"
#include "Sjis.h"
#include "TempFiles.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace hakomaru;
using hakomaru::test::readBytes;
using hakomaru::test::TempDir;

namespace {

// A store large enough that a save takes a while, filled with one letter.
std::string bigFile(char letter) {
    std::string bytes = "[Settings]\r\n";
    for (int i = 0; i < 4000; ++i)
        bytes += "key" + std::to_string(i) + "=" + std::string(40, letter) + "\r\n";
    return bytes + "\r\n";
}

} // namespace

TEST(SaveFault, WriterKilledMidSaveLeavesAWholeFile) {
    TempDir dir;
    const auto path = dir / "hakomaru.ini";
    const IniStore a(bigFile('a'));
    const IniStore b(bigFile('b'));
    a.save(path);
    const std::string bytesA = a.toBytes();
    const std::string bytesB = b.toBytes();

    std::mt19937 random(12345);
    for (int round = 0; round < 25; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                for (;;) {
                    b.save(path);
                    a.save(path);
                }
            } catch (...) {
                std::_Exit(1);
            }
        }
        ::usleep(random() % 20000); // kill it at an arbitrary moment
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const std::string now = readBytes(path);
        EXPECT_TRUE(now == bytesA || now == bytesB)
            << "round " << round << ": " << now.size() << " bytes";
    }
    // The next save clears what the killed ones left behind.
    a.save(path);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"hakomaru.ini"});
}

TEST(SaveFault, TwoProgramsSavingAtOnceLeaveAWellFormedFile) {
    TempDir dir;
    const auto path = dir / "hakomaru.ini";
    auto saver = [&](int which) {
        try {
            const Settings settings(path);
            for (int i = 0; i < 150; ++i) {
                if (which == 0)
                    settings.saveMainWindow(11, 22, 33, 44);
                else
                    settings.savePostalClosed(1);
            }
        } catch (...) {
            std::_Exit(1);
        }
        std::_Exit(0);
    };
    pid_t children[2];
    for (int which = 0; which < 2; ++which) {
        children[which] = ::fork();
        ASSERT_GE(children[which], 0);
        if (children[which] == 0)
            saver(which);
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // Whichever save came last, the file reads back exactly as it is written.
    const std::string bytes = readBytes(path);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(IniStore(bytes).toBytes(), bytes);
    const Settings settings(path);
    const StartPreferences start = settings.startPreferences();
    EXPECT_TRUE(start.posTop == 11 || start.posTop == 0);
    EXPECT_TRUE(settings.postalTabIndex() == 1 || settings.postalTabIndex() == 0);
    for (const auto& name : dir.names())
        EXPECT_EQ(name, "hakomaru.ini"); // no temporary file left behind
}

namespace {

const std::string kOld = "[Settings]\r\nPos_Top=7\r\n[Custom]\r\nKeep=1\r\n";

std::string failure(const std::filesystem::path& file, const std::string& reason) {
    return "ファイル " + file.string() + " を作成できません（" + reason + "）";
}

// Runs a main-window save in a child process without root's power to
// ignore permissions (as nobody when the tests run as root); returns the
// message of the failure, or "" when it saved.
std::string saveAsUser(const std::filesystem::path& file) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            std::_Exit(2);
        std::string message;
        try {
            Settings(file).saveMainWindow(1, 2, 3, 4);
        } catch (const std::exception& e) {
            message = e.what();
        }
        [[maybe_unused]] auto n = ::write(pipeEnds[1], message.data(), message.size());
        std::_Exit(0);
    }
    ::close(pipeEnds[1]);
    std::string message;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, static_cast<size_t>(n));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? message : "child failed";
}

} // namespace

// A folder that takes no new file: a writable settings file in it is written
// in place, whole; a read-only one is left alone with the system's reason.
TEST(SaveFault, ReadOnlyFolderSavesAWritableFileInPlace) {
    for (const bool fileWritable : {true, false}) {
        TempDir dir;
        const auto path = dir / "hakomaru.ini";
        test::writeBytes(path, kOld);
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(dir.path().c_str(), 65534, 65534), 0);
            ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
        }
        ::chmod(path.c_str(), fileWritable ? 0644 : 0444);
        ::chmod(dir.path().c_str(), 0555);
        const std::string message = saveAsUser(path);
        ::chmod(dir.path().c_str(), 0755);
        if (fileWritable) {
            EXPECT_EQ(message, "");
            EXPECT_EQ(readBytes(path), toSjis("[Settings]\r\nPos_Top=1\r\nPos_Left=2\r\n発送地=3\r\n"
                                              "届け先=4\r\n\r\n[Custom]\r\nKeep=1\r\n\r\n"));
        } else {
            EXPECT_EQ(message, failure(path, std::strerror(EACCES)));
            EXPECT_EQ(readBytes(path), kOld);
        }
        EXPECT_EQ(dir.names(), std::vector<std::string>{"hakomaru.ini"});
    }
}

// Only the program's own leftovers go, and none that a running save holds.
TEST(SaveFault, SaveRemovesOnlyItsOwnLeftovers) {
    TempDir dir;
    for (const char* name : {"hakomaru.ini.tmp123", "hakomaru.ini.tmp456", "hakomaru.ini.tmp",
                             "hakomaru.ini.tmp12x", "other.ini.tmp1"})
        test::writeBytes(dir / name, "half a save");
    const int held = ::open((dir / "hakomaru.ini.tmp456").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    Settings(dir / "hakomaru.ini").savePostalOpened();
    ::close(held);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"hakomaru.ini", "hakomaru.ini.tmp",
                                                     "hakomaru.ini.tmp12x", "hakomaru.ini.tmp456",
                                                     "other.ini.tmp1"}));
}

// A settings path that is, or links to, a FIFO, a folder or a device (as
// `ln -s /dev/null hakomaru.ini` does) is never replaced.
TEST(SaveFault, NothingButARegularFileIsReplaced) {
    for (const char* kind : {"fifo", "folder", "device"}) {
        for (const bool linked : {false, true}) {
            TempDir dir;
            const auto thing = dir / (linked ? "thing" : "hakomaru.ini");
            const auto path = dir / "hakomaru.ini";
            if (kind == std::string("fifo"))
                ASSERT_EQ(::mkfifo(thing.c_str(), 0600), 0);
            else if (kind == std::string("folder"))
                std::filesystem::create_directory(thing);
            else if (::geteuid() != 0 || ::mknod(thing.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
                continue; // a device of one's own needs root: a copy of /dev/null
            if (linked)
                std::filesystem::create_symlink(thing, path);
            struct stat before {};
            ASSERT_EQ(::stat(thing.c_str(), &before), 0);
            try {
                Settings(path).saveMainWindow(1, 2, 3, 4);
                ADD_FAILURE() << kind << " replaced";
            } catch (const SaveError& e) {
                EXPECT_EQ(e.what(), failure(path, "通常のファイルではありません")) << kind;
            }
            struct stat after {};
            ASSERT_EQ(::stat(thing.c_str(), &after), 0);
            EXPECT_EQ(after.st_mode, before.st_mode) << kind;
            EXPECT_EQ(std::filesystem::is_symlink(path), linked) << kind;
            EXPECT_EQ(dir.names().size(), linked ? 2u : 1u) << kind;
        }
    }
}

// A file too large to read reads as empty; saving it would lose it all.
TEST(SaveFault, FileTooLargeToReadIsKept) {
    TempDir dir;
    const auto path = dir / "hakomaru.ini";
    test::writeBytes(path, kOld);
    std::filesystem::resize_file(path, 17 * 1024 * 1024);
    const Settings settings(path);
    EXPECT_EQ(settings.startPreferences().posTop, 0);
    try {
        settings.saveMainWindow(1, 2, 3, 4);
        ADD_FAILURE() << "saved";
    } catch (const SaveError& e) {
        EXPECT_EQ(e.what(), failure(path, "サイズ 17 MiB が上限の 16 MiB を超えています"));
    }
    EXPECT_EQ(readBytes(path).substr(0, kOld.size()), kOld);
    EXPECT_EQ(std::filesystem::file_size(path), 17u * 1024 * 1024);
}
