#include "system/Files.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace hakomaru::sys {

OpenedFile openRegularFile(const std::filesystem::path& path) {
    // Windows has no FIFOs in its file system, so opening never waits.
    const int fd = ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) {
        OpenedFile failed;
        failed.error = errno;
        // A folder cannot be opened as a file at all: the C library says
        // "Permission denied", but what stands there is no regular file.
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        failed.notRegular =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        return failed;
    }
    return regularFileOf(fd);
}

OpenedFile regularFileOf(int fd) {
    OpenedFile opened;
    struct _stat64 st {};
    if (::_fstat64(fd, &st) != 0)
        opened.error = errno;
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
