// Writing the user settings file: the saved bytes, what survives a save,
// and saves that fail without harming the old file.
#include "Settings.h"
#include "TempFiles.h"
#include "ini/IniStore.h"
#include "ini/IniValues.h"
#include "text/Sjis.h"

#include <gtest/gtest.h>

#include "system/FileSave.h"
#include "system/Files.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <sddl.h>
#else
#include "SaveProbes.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace hakomaru {
namespace {

// The message of a failed save, with the reason that follows it.
std::string failureMessage(const std::filesystem::path& file, std::string_view reason) {
    return "ファイル " + file.string() + " を作成できません（" + std::string(reason) + "）";
}

struct SaveCase {
    const char* name;
    std::string before; // UTF-8, stored as code page 932
    std::function<void(const Settings&)> act;
    std::string after; // UTF-8 with CR LF
};

void PrintTo(const SaveCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsSave : public testing::TestWithParam<SaveCase> {};

TEST_P(SettingsSave, WritesExpectedBytes) {
    const SaveCase& c = GetParam();
    test::TempDir dir;
    const auto file = dir / "hakomaru.ini";
    if (!c.before.empty())
        test::writeBytes(file, toSjis(c.before));
    c.act(Settings(file));
    EXPECT_EQ(test::readBytes(file), toSjis(c.after));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"hakomaru.ini"});
}

OptionValues allChanged() {
    OptionValues v;
    v.remittanceMethod = -1;
    v.useCatDaihiki = true;
    v.homeShipping = true;
    v.showPostalAlways = true;
    v.showExplain = false;
    v.listRows = 40;
    v.listTextColor = 0x004080FF;
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsSave,
    testing::Values(
        SaveCase{"FirstMainWindowClose", "",
                 [](const Settings& s) { s.saveMainWindow(120, -8, 14, 9); },
                 "[Settings]\r\nPos_Top=120\r\nPos_Left=-8\r\n発送地=14\r\n届け先=9\r\n\r\n"},
        SaveCase{
            "MainWindowCloseOverExistingKeys", "[Settings]\n届け先=1\n行数=30\nPos_Top=5\n",
            [](const Settings& s) { s.saveMainWindow(1, 2, 3, 4); },
            "[Settings]\r\n届け先=4\r\n行数=30\r\nPos_Top=1\r\nPos_Left=2\r\n発送地=3\r\n\r\n"},
        SaveCase{"EditorWindowClose", "[Settings]\nWidth=9\n",
                 [](const Settings& s) { s.saveWindowPlace({-4, 30, 800, 500, true, 150, 260}); },
                 "[Settings]\r\nWidth=800\r\nPos_Top=30\r\nPos_Left=-4\r\nHeight=500\r\n"
                 "Maximized=1\r\nSideWidth=150\r\nPreviewWidth=260\r\n\r\n"},
        SaveCase{"EditorWindowCloseWithoutItsPlace", "[Settings]\nPos_Left=40\nPos_Top=20\n",
                 [](const Settings& s) { s.saveWindowSize({-3, -30, 800, 500, false, 1, 2}); },
                 "[Settings]\r\nPos_Left=40\r\nPos_Top=20\r\nWidth=800\r\nHeight=500\r\n"
                 "Maximized=0\r\nSideWidth=1\r\nPreviewWidth=2\r\n\r\n"},
        SaveCase{"MainWindowCloseWithoutItsPlace",
                 "[Settings]\nPos_Top=100\nPos_Left=400\n届け先=1\n",
                 [](const Settings& s) { s.saveMainWindowRows(3, 4); },
                 "[Settings]\r\nPos_Top=100\r\nPos_Left=400\r\n届け先=4\r\n発送地=3\r\n\r\n"},
        SaveCase{"PostalOpened", "", [](const Settings& s) { s.savePostalOpened(); },
                 "[Settings]\r\nShowPostal=1\r\n\r\n"},
        SaveCase{"PostalOpenedThenClosed", "",
                 [](const Settings& s) {
                     s.savePostalOpened();
                     s.savePostalClosed(1);
                 },
                 "[Settings]\r\nShowPostal=0\r\nTabIndex=1\r\n\r\n"},
        SaveCase{"PostalClosedAfterMainWindow", "[Settings]\nPos_Top=3\n",
                 [](const Settings& s) { s.savePostalClosed(0); },
                 "[Settings]\r\nPos_Top=3\r\nTabIndex=0\r\nShowPostal=0\r\n\r\n"},
        SaveCase{"OptionsLeftAtDefaults", "",
                 [](const Settings& s) { s.saveOptionValues(OptionValues{}); },
                 "[Type]\r\nNo=8\r\n\r\n[Settings]\r\n代引利用=0\r\n自宅発送=0\r\n"
                 "普通郵便表示=0\r\n説明欄表示=1\r\n行数=24\r\n文字色=-2147483640\r\n\r\n"},
        SaveCase{"OptionsAllChanged", "[Settings]\n文字色=255\n[Type]\nNo=3\n",
                 [](const Settings& s) { s.saveOptionValues(allChanged()); },
                 "[Settings]\r\n文字色=4227327\r\n代引利用=1\r\n自宅発送=1\r\n"
                 "普通郵便表示=1\r\n説明欄表示=0\r\n行数=40\r\n\r\n[Type]\r\nNo=-1\r\n\r\n"}),
    [](const testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.name); });

TEST(SettingsSave, PostalCloseReadsBackAsClosed) {
    test::TempDir dir;
    Settings s(dir / "hakomaru.ini");
    s.savePostalOpened();
    EXPECT_TRUE(s.postalAtStart().showPostal);
    s.savePostalClosed(1);
    EXPECT_FALSE(s.postalAtStart().showPostal);
    EXPECT_EQ(s.postalTabIndex(), 1);
    EXPECT_EQ(readString(IniStore::open(s.path()), "Settings", "ShowPostal"), "0");
}

TEST(SettingsSave, OptionValuesReadBackAsSaved) {
    test::TempDir dir;
    Settings s(dir / "hakomaru.ini");
    const OptionValues saved = allChanged();
    s.saveOptionValues(saved);
    const OptionValues read = s.optionValues();
    EXPECT_EQ(read.remittanceMethod, saved.remittanceMethod);
    EXPECT_EQ(read.useCatDaihiki, saved.useCatDaihiki);
    EXPECT_EQ(read.homeShipping, saved.homeShipping);
    EXPECT_EQ(read.showPostalAlways, saved.showPostalAlways);
    EXPECT_EQ(read.showExplain, saved.showExplain);
    EXPECT_EQ(read.listRows, saved.listRows);
    EXPECT_EQ(read.listTextColor, saved.listTextColor);
    EXPECT_EQ(s.remittanceMethod(), -1);
}

// A hand-edited file: every key the program does not write keeps its value
// through a save; comments and blank lines go.
TEST(SettingsSave, HandEditedFileSurvivesSave) {
    const std::string before = "; written by hand\r\n"
                               "\r\n"
                               "[Settings]\r"
                               "  Pos_Top =  12  \r\n"
                               "Hidden=under the earlier header\n"
                               "[WEB]\n"
                               "ゆうパック = https://example.jp/yp\r\n"
                               "Extra=値\r"
                               "; note\n"
                               "[ settings ]\r\n"
                               "\t行数\t=\t30\n"
                               "no equals sign here\r\n"
                               "MyKey=mine\n"
                               "[Custom]\r\n"
                               "A=1\n"
                               "a=2\r\n"
                               "B=x=y";
    test::TempDir dir;
    const auto file = dir / "hakomaru.ini";
    test::writeBytes(file, toSjis(before));

    struct Key {
        std::string section, key;
    };
    const std::vector<Key> untouched = {{"WEB", "ゆうパック"}, {"WEB", "Extra"},
                                        {"Settings", "行数"},  {"Settings", "MyKey"},
                                        {"Custom", "A"},       {"Custom", "B"}};
    auto values = [&] {
        IniStore ini = IniStore::open(file);
        std::vector<std::string> result;
        for (const Key& k : untouched)
            result.push_back(readString(ini, toSjis(k.section), toSjis(k.key), "<missing>"));
        return result;
    };
    const std::vector<std::string> expected = {
        toSjis("https://example.jp/yp"), toSjis("値"), "30", "mine", "2", "x=y"};
    ASSERT_EQ(values(), expected);

    Settings s(file);
    EXPECT_EQ(s.startPreferences().posTop, 0); // the first "Settings" is hidden
    s.saveMainWindow(100, 200, 3, 4);
    EXPECT_EQ(values(), expected);
    EXPECT_EQ(s.startPreferences().posTop, 100);
    EXPECT_EQ(s.startPreferences().listRows, 30);
    EXPECT_EQ(s.youpackHomePage(), "https://example.jp/yp");

    const std::string after = test::readBytes(file);
    EXPECT_EQ(after, toSjis("[Settings]\r\nPos_Top =  12\r\nHidden=under the earlier header\r\n\r\n"
                            "[WEB]\r\nゆうパック = https://example.jp/yp\r\nExtra=値\r\n\r\n"
                            "[settings]\r\n行数\t=\t30\r\nno equals sign here\r\nMyKey=mine\r\n"
                            "Pos_Top=100\r\nPos_Left=200\r\n発送地=3\r\n届け先=4\r\n\r\n"
                            "[Custom]\r\nA=1\r\na=2\r\nB=x=y\r\n\r\n"));
}

#ifndef _WIN32 // the C++ library makes no links on Windows
TEST(SettingsSave, LinkedFileIsUpdatedAndLinkKept) {
    test::TempDir dir;
    const auto real = dir / "real.ini";
    const auto link = dir / "hakomaru.ini";
    test::writeBytes(real, "[Settings]\r\nKeep=1\r\n");
    std::filesystem::create_symlink(real, link);
    Settings(link).saveMainWindow(1, 2, 3, 4);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(Settings(real).destinationRow(), 4);
    EXPECT_EQ(readString(IniStore::open(real), "Settings", "Keep"), "1");
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"hakomaru.ini", "real.ini"}));
}
#endif

#ifdef _WIN32
// The security descriptor's access list as text, "" when there is none.
std::wstring accessRules(const std::filesystem::path& file) {
    DWORD size = 0;
    ::GetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<unsigned char> descriptor(size);
    wchar_t* text = nullptr;
    if (size == 0 ||
        !::GetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), size,
                            &size) ||
        !::ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr))
        return L"";
    std::wstring rules = text;
    ::LocalFree(text);
    return rules;
}

// What Windows keeps of the replaced file: its attributes and access rules
// of its own, the folder's not inherited.
TEST(SettingsSave, AttributesAndAccessRulesKept) {
    test::TempDir dir;
    const auto file = dir / "hakomaru.ini";
    test::writeBytes(file, "[Settings]\r\n");
    PSECURITY_DESCRIPTOR own = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;;FA;;;BA)(A;;FR;;;WD)", SDDL_REVISION_1, &own, nullptr));
    ASSERT_TRUE(::SetFileSecurityW(file.c_str(), DACL_SECURITY_INFORMATION, own));
    ::LocalFree(own);
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const std::wstring before = accessRules(file);
    Settings(file).savePostalOpened();
    EXPECT_EQ(accessRules(file), before);
    EXPECT_EQ(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_NE(test::readBytes(file), "[Settings]\r\n");
}
#else
TEST(SettingsSave, FilePermissionsKept) {
    test::TempDir dir;
    const auto file = dir / "hakomaru.ini";
    test::writeBytes(file, "[Settings]\r\n");
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write);
    Settings(file).savePostalOpened();
    EXPECT_EQ(std::filesystem::status(file).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}
#endif

// A temporary file that a running save has: locked from its creation on
// POSIX systems, open on Windows (a save keeps it open until it is renamed).
class HeldBySave {
  public:
    explicit HeldBySave(const std::filesystem::path& file) {
#ifdef _WIN32
        handle_ = ::CreateFileW(file.c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(handle_, INVALID_HANDLE_VALUE);
#else
        fd_ = ::open(file.c_str(), O_RDONLY);
        EXPECT_EQ(::flock(fd_, LOCK_EX), 0);
#endif
    }
    ~HeldBySave() {
#ifdef _WIN32
        ::CloseHandle(handle_);
#else
        ::close(fd_);
#endif
    }

  private:
#ifdef _WIN32
    HANDLE handle_;
#else
    int fd_;
#endif
};

// Only the program's own leftovers go, and none that a running save holds:
// never a file a person named like one (a dated copy), nor a name with the
// program's mark whose check part does not match. The same holds for the
// copy a writer killed while writing in place left, which the next writer
// puts back: and only one made by a user who could have written the file.
TEST(SettingsSave, TakesOnlyItsOwnLeftovers) {
    test::TempDir dir;
    const auto file = dir / "hakomaru.ini";
    test::writeBytes(file, "[Settings]\r\nPos_T"); // written in place halfway
    const std::string held = temporaryName("hakomaru.ini", 0x5678);
    const std::string heldCopy = copyName("hakomaru.ini", 0x5678);
    std::string forged = temporaryName("hakomaru.ini", 0x9abc);
    forged[forged.size() - 5] = forged[forged.size() - 5] == '0' ? '1' : '0';
    std::string forgedCopy = copyName("hakomaru.ini", 0x9abc);
    forgedCopy[forgedCopy.size() - 6] = forgedCopy[forgedCopy.size() - 6] == '0' ? '1' : '0';
    std::vector<std::string> kept = {"hakomaru.ini.tmp1", "hakomaru.ini.tmp20241207", forged,
                                     held, temporaryName("other.ini", 0x1234), forgedCopy,
                                     heldCopy, copyName("other.ini", 0x1234)};
#ifndef _WIN32
    if (::geteuid() == 0) // another user's copy of root's file
        kept.push_back(copyName("hakomaru.ini", 0x4321));
#endif
    for (const std::string& name : kept)
        test::writeBytes(dir / name, "[Settings]\r\nOther=1\r\n");
#ifndef _WIN32
    if (::geteuid() == 0)
        test::giveToUnprivilegedUser({(dir / kept.back()).string()});
#endif
    test::writeBytes(dir / temporaryName("hakomaru.ini", 0x1234), "half a save");
    test::writeBytes(dir / copyName("hakomaru.ini", 0x1234), "[Settings]\r\nWhole=1\r\n");
    {
        const HeldBySave running(dir / held), runningCopy(dir / heldCopy);
        Settings(file).saveMainWindow(1, 2, 3, 4);
    }
    EXPECT_EQ(readString(IniStore::open(file), "Settings", "Whole"), "1");
    EXPECT_EQ(readString(IniStore::open(file), "Settings", "Other"), "");
    kept.push_back("hakomaru.ini");
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(dir.names(), kept);
}

// A program that takes no lock (a text editor) saves while a save edits:
// its change is read and edited again, not lost.
TEST(SettingsSave, ChangeMadeMeanwhileIsEditedAgain) {
    test::TempDir dir;
    const auto file = dir / "hakomaru.ini";
    test::writeBytes(file, "old\r\n");
    std::vector<std::string> seen;
    editFile(file, [&](const FileBytes& current) {
        seen.push_back(current.bytes);
        if (seen.size() == 1)
            test::writeBytes(file, "by hand, longer\r\n");
        return std::optional<std::string>(current.bytes + "mine\r\n");
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"old\r\n", "by hand, longer\r\n"}));
    EXPECT_EQ(test::readBytes(file), "by hand, longer\r\nmine\r\n");
}

// A reader (a window reading the file, the quote tool) that has the file
// open while a save replaces it does not make the save fail. Where the
// system cannot replace a file that is open (Windows before 10, wine), the
// save waits the moment such a reader keeps it.
TEST(SettingsSave, ReaderWithTheFileOpenDoesNotStopASave) {
    test::TempDir dir;
    const auto file = dir / "hakomaru.ini";
    test::writeBytes(file, "[Settings]\r\n");
    auto reader = std::make_unique<ReadableFile>(file);
    ASSERT_TRUE(reader->ok()) << reader->reason();
    std::thread readerLetsGo([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // a reader's moment
        reader.reset();
    });
    Settings(file).saveMainWindow(1, 2, 3, 4);
    readerLetsGo.join();
    EXPECT_EQ(Settings(file).destinationRow(), 4);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"hakomaru.ini"});
}

// A file with another name (a hard link) keeps it: it is written in place,
// and both names show the change.
TEST(SettingsSave, HardLinkedFileKeepsItsOtherName) {
    test::TempDir dir;
    const auto file = dir / "hakomaru.ini";
    test::writeBytes(file, "[Settings]\r\nKeep=1\r\n");
    std::filesystem::create_hard_link(file, dir / "other.ini");
    Settings(file).saveMainWindow(1, 2, 3, 4);
    EXPECT_EQ(Settings(dir / "other.ini").destinationRow(), 4);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"hakomaru.ini", "other.ini"}));
}

// ---- Saves that fail ----

const std::string kOldBytes = "[Settings]\r\nPos_Top=7\r\n; kept as it was\r\n";

#ifdef _WIN32
// Another program that keeps the file open without letting it be replaced
// (sharing nothing, only reading, or reading and writing) stops a save
// after the wait, with the reason, whether the file would be replaced or
// written in place: it is left as it was, never written in place instead.
TEST(SettingsSave, FileKeptOpenByAnotherProgramIsLeftAlone) {
    for (const DWORD share : {0ul, 1ul, 3ul}) { // nothing, reading, reading and writing
        for (const bool linked : {false, true}) {
            test::TempDir dir;
            const auto file = dir / "hakomaru.ini";
            test::writeBytes(file, kOldBytes);
            if (linked)
                std::filesystem::create_hard_link(file, dir / "other.ini");
            const HANDLE reader = ::CreateFileW(file.c_str(), GENERIC_READ, share, nullptr,
                                                OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(reader, INVALID_HANDLE_VALUE);
            std::string message;
            try {
                editFile(file, [](const FileBytes&) { return std::optional<std::string>("new"); },
                         std::chrono::milliseconds(200));
            } catch (const SaveError& e) {
                message = e.what();
            }
            ::CloseHandle(reader);
            // Sharing its writing lets a file with another name be written in place.
            if (linked && (share & FILE_SHARE_WRITE)) {
                EXPECT_EQ(message, "") << share;
                continue;
            }
            EXPECT_EQ(message, failureMessage(file, kInUseReason)) << share << " " << linked;
            EXPECT_EQ(test::readBytes(file), kOldBytes) << share << " " << linked;
            EXPECT_EQ(dir.names().size(), linked ? 2u : 1u);
        }
    }
}
#endif

void expectSaveFails(const Settings& s, const std::filesystem::path& shown,
                     std::string_view reason) {
    try {
        s.saveMainWindow(1, 2, 3, 4);
        ADD_FAILURE() << "save reported success: " << s.path();
    } catch (const SaveError& e) {
        EXPECT_EQ(e.what(), failureMessage(shown, reason));
    }
}

// Replacing the file by renaming must not get round its read-only mark.
// On POSIX systems as a user whom the mark stops (root's power over
// permissions dropped), in a folder that user may write.
TEST(SettingsSaveFailure, ReadOnlyFileIsNotReplaced) {
    test::TempDir dir;
    const auto file = dir / "hakomaru.ini";
    test::writeBytes(file, kOldBytes);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    auto save = [&]() -> std::string {
        try {
            Settings(file).saveMainWindow(1, 2, 3, 4);
            return "saved";
        } catch (const SaveError& e) {
            return e.what();
        }
    };
#ifdef _WIN32
    const std::string message = save();
#else
    test::giveToUnprivilegedUser({dir.path().string(), file.string()});
    const std::string message = test::asUnprivilegedUser(save);
#endif
    EXPECT_EQ(message, failureMessage(file, "アクセスが拒否されました"));
    EXPECT_EQ(test::readBytes(file), kOldBytes);
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::owner_write,
              std::filesystem::perms::none);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"hakomaru.ini"});
}

TEST(SettingsSaveFailure, FolderThatIsAFile) {
    test::TempDir dir;
    const auto notAFolder = dir / "plain";
    test::writeBytes(notAFolder, kOldBytes);
    const auto file = notAFolder / "hakomaru.ini";
    expectSaveFails(Settings(file), file, "パスの途中にフォルダーでないものがあります");
    EXPECT_EQ(test::readBytes(notAFolder), kOldBytes);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"plain"});
}

TEST(SettingsSaveFailure, FolderWhereTheFileShouldBe) {
    test::TempDir dir;
    const auto file = dir / "hakomaru.ini";
    std::filesystem::create_directory(file);
    test::writeBytes(file / "inside", "x");
    expectSaveFails(Settings(file), file, "通常のファイルではありません");
    EXPECT_TRUE(std::filesystem::is_directory(file));
    EXPECT_EQ(test::readBytes(file / "inside"), "x");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"hakomaru.ini"});
}

#ifndef _WIN32 // Windows limits no process's file size, and has no fork
// The disk fills up in the middle of a save: a child process limited to
// small files saves a large settings file; its exit code tells the outcome.
TEST(SettingsSaveFailure, FileSizeLimitKeepsOldFile) {
    test::TempDir dir;
    const auto file = dir / "hakomaru.ini";
    const std::string old =
        toSjis("[Settings]\r\n行数=30\r\nBig=") + std::string(256 * 1024, 'b') + "\r\n[WEB]\r\n";
    test::writeBytes(file, old);

    enum : int { kFailedAsExpected = 0, kSucceeded = 1, kWrongMessage = 2, kOtherError = 3 };
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64 * 1024, 64 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int code = kOtherError;
        try {
            Settings(file).saveMainWindow(1, 2, 3, 4);
            code = kSucceeded;
        } catch (const SaveError& e) {
            code = e.what() == failureMessage(file, "ファイルが大きすぎます") ? kFailedAsExpected
                                                                          : kWrongMessage;
        } catch (...) {
        }
        ::_exit(code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "child ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), kFailedAsExpected);
    EXPECT_EQ(test::readBytes(file), old);
    EXPECT_EQ(dir.names(), std::vector<std::string>{"hakomaru.ini"});
}
#endif

} // namespace
} // namespace hakomaru
