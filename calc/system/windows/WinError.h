#pragma once
// The system's error codes as the errno values the rest of the program
// turns into reasons (system/FileRead.h, systemReason()), so that a message
// names the same reason, in the same words, on every system.
#include <cerrno>
#include <filesystem>
#include <string>
#include <windows.h>

namespace hakomaru::sys {

// The errno value for a Windows error code; 0 for a code that has none.
inline int errnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
        return EACCES;
    // Another program has the file open and shares it with no one.
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EBUSY;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_TOO_LARGE:
        return EFBIG;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_NOT_READY:
        return EIO;
    default:
        return 0;
    }
}

// The same for an error met opening `path`: a path through something that
// is no folder gives ENOTDIR, as it does on POSIX systems.
int errnoOfPath(DWORD error, const std::filesystem::path& path);

// The reason for a Windows error code as messages give it: the reason of
// its errno value, or the system's own text for a code that has none.
std::string reasonOf(DWORD error);
std::string reasonOfPath(DWORD error, const std::filesystem::path& path);

// Every program that opens these files shares them in full: readers and
// writers never lock each other out, and a file that is open can still be
// replaced by a save.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace hakomaru::sys
