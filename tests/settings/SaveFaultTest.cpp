// Saving under faults: a writer killed in the middle of a save, two
// programs saving the same settings file at once, a folder that takes no new
// file, a path that links to something other than a file, a file too large
// to read. Either way the file must be whole afterwards: the old content or
// the new one, never a mixture, and nothing else left in the folder.
#include "SaveProbes.h"
#include "Settings.h"
#include "TempFiles.h"
#include "ini/IniStore.h"
#include "system/FileSave.h"
#include "text/Sjis.h"

#include <algorithm>

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

// A writer killed while it writes a file in place (a file with another
// name, here): the copy it put beside the file first is put back by the
// next writer, who reads the old content whole, through both names; a
// writer killed while it puts the copy back leaves it for the one after.
TEST(SaveFault, WriterKilledWritingInPlaceLeavesAWholeFile) {
    for (const int killed : {1, 2}) {
        TempDir dir;
        const auto path = dir / "hakomaru.ini";
        const std::string old = bigFile('a');
        test::writeBytes(path, old);
        std::filesystem::create_hard_link(path, dir / "other.ini");
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        for (int writer = 0; writer < killed; ++writer) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                test::dieHalfwayWriting(st.st_ino);
                saveFileBytes(path, bigFile('b') + bigFile('c')); // longer than the old
                std::_Exit(0);
            }
            int status = 0;
            ::waitpid(child, &status, 0);
            ASSERT_TRUE(WIFSIGNALED(status)) << "writer " << writer << " was not stopped";
        }
        EXPECT_NE(readBytes(path), old); // half written
        editFile(path, [](const FileBytes&) { return std::nullopt; }); // the next writer
        EXPECT_TRUE(readBytes(path) == old) << killed;
        EXPECT_EQ(readBytes(dir / "other.ini"), old);
        EXPECT_EQ(dir.names(), (std::vector<std::string>{"hakomaru.ini", "other.ini"}));
    }
}

TEST(SaveFault, TwoProgramsSavingAtOnceKeepBothChanges) {
    TempDir dir;
    const auto path = dir / "hakomaru.ini";
    auto saver = [&](int which) {
        try {
            const Settings settings(path);
            for (int i = 1; i <= 150; ++i) {
                if (which == 0)
                    settings.saveMainWindow(i, 22, 33, 44);
                else
                    settings.savePostalClosed(i);
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
    // The saves take turns: each reads what the other saved, so both
    // programs' last values are in the file, and it reads back as written.
    const std::string bytes = readBytes(path);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(IniStore(bytes).toBytes(), bytes);
    const Settings settings(path);
    EXPECT_EQ(settings.startPreferences().posTop, 150);
    EXPECT_EQ(settings.postalTabIndex(), 150);
    for (const auto& name : dir.names())
        EXPECT_EQ(name, "hakomaru.ini"); // no temporary file left behind
}

namespace {

const std::string kOld = "[Settings]\r\nPos_Top=7\r\n[Custom]\r\nKeep=1\r\n";

std::string failure(const std::filesystem::path& file, const std::string& reason) {
    return "ファイル " + file.string() + " を作成できません（" + reason + "）";
}

// The message of a failed main-window save, "" when it saved; as a user
// whom permissions stop when `asUser`.
std::string saveMessage(const std::filesystem::path& file, bool asUser = false) {
    auto save = [&]() -> std::string {
        try {
            Settings(file).saveMainWindow(1, 2, 3, 4);
            return "";
        } catch (const std::exception& e) {
            return e.what();
        }
    };
    return asUser ? test::asUnprivilegedUser(save) : save();
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
        const std::string message = saveMessage(path, true);
        ::chmod(dir.path().c_str(), 0755);
        EXPECT_EQ(message, fileWritable ? "" : failure(path, "アクセスが拒否されました"));
        EXPECT_EQ(readBytes(path),
                  fileWritable
                      ? toSjis("[Settings]\r\nPos_Top=1\r\nPos_Left=2\r\n発送地=3\r\n届け先=4"
                               "\r\n\r\n[Custom]\r\nKeep=1\r\n\r\n")
                      : kOld);
        EXPECT_EQ(dir.names(), std::vector<std::string>{"hakomaru.ini"});
    }
}

// A settings path that is, or links to, a FIFO, a folder, a device (as
// `ln -s /dev/null hakomaru.ini` does) or a file too large to read is never
// replaced: saving would lose it.
TEST(SaveFault, WhatCannotBeReadIsNeverReplaced) {
    const std::string notRegular = "通常のファイルではありません";
    const std::pair<std::string, std::string> kinds[] = {
        {"fifo", notRegular},
        {"folder", notRegular},
        {"device", notRegular},
        {"huge", "サイズ 17 MiB が上限の 16 MiB を超えています"}};
    for (const auto& [kind, reason] : kinds) {
        for (const bool linked : {false, true}) {
            TempDir dir;
            const auto path = dir / "hakomaru.ini";
            const auto thing = linked ? dir / "thing" : path;
            if (kind == "fifo")
                ASSERT_EQ(::mkfifo(thing.c_str(), 0600), 0) << kind;
            else if (kind == "folder")
                std::filesystem::create_directory(thing);
            if (kind == "huge") {
                test::writeBytes(thing, kOld);
                std::filesystem::resize_file(thing, 17 * 1024 * 1024);
            }
            // A device of one's own, a copy of /dev/null, needs root.
            if (kind == "device" &&
                (::geteuid() != 0 || ::mknod(thing.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0))
                continue;
            if (linked)
                std::filesystem::create_symlink(thing, path);
            struct stat before {
            }, after{};
            ASSERT_EQ(::stat(thing.c_str(), &before), 0);
            EXPECT_EQ(saveMessage(path), failure(path, reason)) << kind;
            ASSERT_EQ(::stat(thing.c_str(), &after), 0);
            EXPECT_TRUE(after.st_mode == before.st_mode && after.st_size == before.st_size &&
                        after.st_mtim.tv_nsec == before.st_mtim.tv_nsec)
                << kind;
            EXPECT_EQ(dir.names().size(), linked ? 2u : 1u) << kind;
        }
    }
}

// The replaced file keeps owner, group and mode. Root gives the new file
// the old owner; a writer that may not (nobody, on root's file that anyone
// may write) writes the file in place, so that it stays root's.
TEST(SaveFault, OwnerGroupAndModeKept) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs root";
    struct Case {
        uid_t owner;
        mode_t mode;
        bool asNobody;
        bool inPlace;
    };
    for (const Case& c : {Case{65534, 0640, false, false}, Case{65534, 0600, true, false},
                          Case{0, 0666, true, true}, Case{0, 0604, false, false}}) {
        TempDir dir;
        ::chmod(dir.path().c_str(), 0777);
        const auto path = dir / "hakomaru.ini";
        test::writeBytes(path, kOld);
        ASSERT_EQ(::chown(path.c_str(), c.owner, c.owner), 0);
        ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
        struct stat before {
        }, after{};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);
        EXPECT_EQ(saveMessage(path, c.asNobody), "") << c.owner << " " << c.mode;
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_uid, c.owner);
        EXPECT_EQ(after.st_gid, c.owner);
        EXPECT_EQ(after.st_mode & 07777, c.mode);
        EXPECT_EQ(after.st_ino == before.st_ino, c.inPlace) << c.owner << " " << c.mode;
        EXPECT_NE(readBytes(path), kOld);
        EXPECT_EQ(dir.names(), std::vector<std::string>{"hakomaru.ini"});
    }
}

// A writer that another one keeps waiting past the wait gives up with the
// reason and changes nothing; the edit is never made on what it read.
TEST(SaveFault, WriterKeptWaitingChangesNothing) {
    TempDir dir;
    const auto path = dir / "hakomaru.ini";
    test::writeBytes(path, kOld);
    const int held = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    bool edited = false;
    try {
        editFile(
            path,
            [&](const FileBytes&) {
                edited = true;
                return std::optional<std::string>("new");
            },
            std::chrono::milliseconds(100));
        ADD_FAILURE() << "saved under another writer's lock";
    } catch (const SaveError& e) {
        EXPECT_EQ(std::string(e.what()), failure(path, std::string(kBusyReason)));
    }
    ::close(held);
    EXPECT_FALSE(edited);
    EXPECT_EQ(readBytes(path), kOld);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"hakomaru.ini"});
}
