#pragma once
// Opening and reading files, through each system's own calls. system/FileRead.h
// builds the program's one way of reading a file on these.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace hakomaru::sys {

// A file opened to be read. On failure `fd` is -1 and either `notRegular`
// is set (a folder, a device, a FIFO, a socket: anything but a regular
// file) or `reason` says why, with `error` the errno value for it (ENOENT
// for a missing file; 0 for a system error that has none).
struct OpenedFile {
    int fd = -1;
    int error = 0;
    std::string reason;
    bool notRegular = false;
    std::uint64_t size = 0; // when it opened
};

// Opens a regular file for reading without waiting for anything: a FIFO
// in its place is refused at once, never waited on.
OpenedFile openRegularFile(const std::filesystem::path& path);

// The same for a descriptor opened elsewhere: kept when it is a regular
// file, closed when not.
OpenedFile regularFileOf(int fd);

// Up to `count` bytes into `into`: the number read, 0 at the end, -1 with
// errno set on an error. An interrupted read is retried.
long readFile(int fd, char* into, std::size_t count);

void closeFile(int fd);

// Whether this user may write the file or folder.
bool isWritable(const std::filesystem::path& path);

} // namespace hakomaru::sys
