#include "system/Files.h"
#include "system/FileRead.h"
#include "system/windows/WinError.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace hakomaru::sys {

OpenedFile openRegularFile(const std::filesystem::path& path) {
    // Windows has no FIFOs in its file system, so opening never waits.
    // Shared in full, so that a save can replace the file while it is read.
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const int fd =
        handle == INVALID_HANDLE_VALUE
            ? -1
            : ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        const DWORD error =
            handle == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_TOO_MANY_OPEN_FILES;
        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
        OpenedFile failed;
        failed.error = errnoOfPath(error, path);
        failed.reason = reasonOfPath(error, path);
        // A folder cannot be opened as a file at all: the system says
        // "access denied", but what stands there is no regular file.
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        failed.notRegular =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        return failed;
    }
    return regularFileOf(fd);
}

int errnoOfPath(DWORD error, const std::filesystem::path& path) {
    // A file below something that is no folder: "not a directory", as on
    // POSIX systems, rather than a folder that is not there.
    if (error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY) {
        for (std::filesystem::path up = path.parent_path(); !up.empty() && up != up.parent_path();
             up = up.parent_path()) {
            const DWORD attributes = ::GetFileAttributesW(up.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES)
                continue;
            return attributes & FILE_ATTRIBUTE_DIRECTORY ? ENOENT : ENOTDIR;
        }
    }
    return errnoOf(error);
}

namespace {

// The system's own text for an error code, in the user's language, without
// the full stop and line end it comes with.
std::string systemText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring wide = length ? std::wstring(text, length) : std::wstring();
    ::LocalFree(text);
    while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ' ||
                             wide.back() == L'.' || wide.back() == L'\u3002'))
        wide.pop_back();
    if (wide.empty())
        return "Windows error " + std::to_string(error);
    return utf8Of(std::filesystem::path(wide));
}

} // namespace

std::string reasonOf(DWORD error) {
    const int mapped = errnoOf(error);
    return mapped != 0 ? systemReason(mapped) : systemText(error);
}

std::string reasonOfPath(DWORD error, const std::filesystem::path& path) {
    const int mapped = errnoOfPath(error, path);
    return mapped != 0 ? systemReason(mapped) : systemText(error);
}

OpenedFile regularFileOf(int fd) {
    OpenedFile opened;
    struct _stat64 st {};
    if (::_fstat64(fd, &st) != 0) {
        opened.error = errno;
        opened.reason = systemReason(opened.error);
    }
    else if ((st.st_mode & _S_IFMT) != _S_IFREG) // NUL, CON, a pipe
        opened.notRegular = true;
    if (opened.error != 0 || opened.notRegular) {
        ::_close(fd);
        return opened;
    }
    opened.fd = fd;
    opened.size = static_cast<std::uint64_t>(st.st_size);
    return opened;
}

long readFile(int fd, char* into, std::size_t count) {
    for (;;) {
        const int n =
            ::_read(fd, into, static_cast<unsigned>(std::min<std::size_t>(count, 1 << 30)));
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

void closeFile(int fd) {
    ::_close(fd);
}

bool isWritable(const std::filesystem::path& path) {
    return ::_waccess(path.c_str(), 2) == 0;
}

} // namespace hakomaru::sys
