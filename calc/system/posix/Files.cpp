#include "system/Files.h"
#include "system/FileRead.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hakomaru::sys {

OpenedFile openRegularFile(const std::filesystem::path& path) {
    // O_NONBLOCK: opening a FIFO with no writer returns at once instead of
    // waiting for one; fstat then refuses it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        OpenedFile failed;
        failed.error = errno;
        failed.reason = systemReason(failed.error);
        return failed;
    }
    return regularFileOf(fd);
}

OpenedFile regularFileOf(int fd) {
    OpenedFile opened;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        opened.error = errno;
        opened.reason = systemReason(opened.error);
    }
    else if (!S_ISREG(st.st_mode))
        opened.notRegular = true;
    if (opened.error != 0 || opened.notRegular) {
        ::close(fd);
        return opened;
    }
    opened.fd = fd;
    opened.size = static_cast<std::uint64_t>(st.st_size);
    return opened;
}

long readFile(int fd, char* into, std::size_t count) {
    for (;;) {
        const ssize_t n = ::read(fd, into, count);
        if (n >= 0 || errno != EINTR)
            return static_cast<long>(n);
    }
}

void closeFile(int fd) {
    ::close(fd);
}

bool isWritable(const std::filesystem::path& path) {
    return ::access(path.c_str(), W_OK) == 0;
}

} // namespace hakomaru::sys
