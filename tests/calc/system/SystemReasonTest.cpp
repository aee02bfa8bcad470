// The reasons messages give for a file: in Japanese, the same words on
// Linux and on Windows, whichever way each system names the error.
#include "TempFiles.h"
#include "system/FileRead.h"

#include <cerrno>
#include <gtest/gtest.h>

#ifdef _WIN32
#include "system/windows/WinError.h"
#endif

namespace hakomaru {
namespace {

struct ReasonCase {
    int error;
    unsigned long windowsError; // the Windows code that means the same
    const char* text;
};

TEST(SystemReason, SameWordsOnEverySystem) {
    const ReasonCase cases[] = {
        {ENOENT, 2, "ファイルまたはフォルダーが見つかりません"},      // ERROR_FILE_NOT_FOUND
        {ENOENT, 3, "ファイルまたはフォルダーが見つかりません"},      // ERROR_PATH_NOT_FOUND
        {EACCES, 5, "アクセスが拒否されました"},                      // ERROR_ACCESS_DENIED
        {EBUSY, 32, "ほかのプログラムが使用中です"},                  // ERROR_SHARING_VIOLATION
        {EROFS, 19, "読み取り専用のファイルシステムです"},            // ERROR_WRITE_PROTECT
        {ENOSPC, 112, "ディスクの空き領域が足りません"},              // ERROR_DISK_FULL
        {EFBIG, 223, "ファイルが大きすぎます"},                       // ERROR_FILE_TOO_LARGE
        {ENOTDIR, 267, "パスの途中にフォルダーでないものがあります"}, // ERROR_DIRECTORY
        {EISDIR, 0, "フォルダーです"},
    };
    for (const ReasonCase& c : cases) {
        EXPECT_EQ(systemReason(c.error), c.text) << c.error;
#ifdef _WIN32
        if (c.windowsError != 0) {
            EXPECT_EQ(sys::reasonOf(c.windowsError), c.text) << c.windowsError;
        }
#endif
    }
#ifdef _WIN32
    // A code with no translation keeps the system's own text.
    EXPECT_FALSE(sys::reasonOf(ERROR_INVALID_FUNCTION).empty());
#endif
}

// A file that is not there says so too, when the message asks for it.
TEST(SystemReason, MissingFileSaysWhy) {
    const test::TempDir dir;
    const auto missing = dir / "missing.ini";
    EXPECT_EQ(readRegularFile(missing, kIniFileLimit).openMessage("missing.ini"),
              "ファイル missing.ini は開けません（ファイルまたはフォルダーが見つかりません）");
    EXPECT_EQ(ReadableFile(missing).openMessage("missing.ini"),
              "ファイル missing.ini は開けません（ファイルまたはフォルダーが見つかりません）");
}

} // namespace
} // namespace hakomaru
