// Saving under faults: a writer killed in the middle of a save, and two
// programs saving the same settings file at once. Either way the file must
// be whole afterwards: the old content or the new one, never a mixture.
#include "IniStore.h"
#include "Settings.h"
#include "TempFiles.h"

#include <csignal>
#include <gtest/gtest.h>
#include <random>
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
