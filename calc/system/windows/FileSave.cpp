#include "system/FileSave.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <random>
#include <sys/stat.h>

// The save on Windows as it stands: the whole content to a temporary file
// beside the target, flushed to disk, then moved over the old file in one
// step, so that a reader never sees half a file. It does not yet take the
// writers' lock, nor keep a read-only file from being replaced, nor remove
// temporary files that a save killed midway left behind.
namespace hakomaru {
namespace {

// Writes `bytes` to a new file at `temp`, flushed to disk; false, with
// errno set, when it could not.
bool writeNewFile(const std::filesystem::path& temp, const std::string& bytes) {
    const int fd = ::_wopen(temp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                            _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const int n =
            ::_write(fd, bytes.data() + done,
                     static_cast<unsigned>(std::min<std::size_t>(bytes.size() - done, 1 << 30)));
        ok = n > 0;
        done += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && ::_commit(fd) == 0;
    const int error = errno;
    ok = ::_close(fd) == 0 && ok;
    errno = error;
    return ok;
}

} // namespace

bool editFile(const std::filesystem::path& path, const FileEdit& edit, std::chrono::milliseconds) {
    const std::string name = utf8Of(path);
    const FileBytes current = readRegularFile(path, kIniFileLimit);
    const auto bytes = edit(current);
    if (!bytes)
        return false;
    // A file that is there but cannot be read, or is no regular file, is
    // never replaced: its content would be lost.
    if (!current.ok() && !current.missing)
        throw SaveError(fileCreateMessage(name, current.reason));

    static std::mt19937_64 random{std::random_device{}()};
    const std::filesystem::path temp =
        path.parent_path() / temporaryName(path.filename().string(), random());
    if (!writeNewFile(temp, *bytes)) {
        const int error = errno;
        ::_wremove(temp.c_str());
        throw SaveError(fileCreateMessage(name, systemReason(error)));
    }
    if (!::MoveFileExW(temp.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::_wremove(temp.c_str());
        throw SaveError(fileCreateMessage(name, systemReason(EACCES)));
    }
    return true;
}

} // namespace hakomaru
