// The reasons messages give for a file: in Japanese, the same words on
// Linux and on Windows, whichever way each system names the error.
#include "system/FileRead.h"

#include <cerrno>
#include <gtest/gtest.h>

#ifdef _WIN32
#include "system/windows/WinError.h"
#endif

namespace hakomaru {
namespace {

TEST(SystemReason, SameWordsOnEverySystem) {
    const struct {
        int error;
        unsigned long windowsError; // the Windows code that means the same
        const char* text;
    } cases[] = {
        {ENOENT, 2, "ファイルまたはフォルダーが見つかりません"},      // ERROR_FILE_NOT_FOUND
        {ENOENT, 3, "ファイルまたはフォルダーが見つかりません"},      // ERROR_PATH_NOT_FOUND
        {EACCES, 5, "アクセスが拒否されました"},                      // ERROR_ACCESS_DENIED
        {EBUSY, 32, "ほかのプログラムが使用中です"},                  // ERROR_SHARING_VIOLATION
        {EROFS, 19, "読み取り専用のファイルシステムです"},            // ERROR_WRITE_PROTECT
        {ENOSPC, 112, "ディスクの空き領域が足りません"},              // ERROR_DISK_FULL
        {EFBIG, 223, "ファイルが大きすぎます"},                       // ERROR_FILE_TOO_LARGE
        {ENOTDIR, 267, "パスの途中にフォルダーでないものがあります"}, // ERROR_DIRECTORY
    };
    for (const auto& c : cases) {
        EXPECT_EQ(systemReason(c.error), c.text) << c.error;
#ifdef _WIN32
        EXPECT_EQ(sys::reasonOf(c.windowsError), c.text) << c.windowsError;
#endif
    }
#ifdef _WIN32
    EXPECT_FALSE(sys::reasonOf(ERROR_INVALID_FUNCTION).empty()); // the system's own text
#endif
}

} // namespace
} // namespace hakomaru
