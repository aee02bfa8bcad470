// editFile() on POSIX systems.
//
// The lock is an flock() on the file itself, held from before the file is
// read until its replacement is in place. A waiting writer holds a
// descriptor of the file it found; when the file it locked is no longer the
// one the path names (the writer before it renamed a new file over it), it
// lets go and locks the new one. The temporary file is locked from its
// creation, so a new file is locked already when the rename makes it appear.
// A file that does not exist yet is created under a lock on its folder.
#include "system/FileSave.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hakomaru {
namespace {

// A save that could not go on, with the errno value that stopped it.
struct SaveFailed {
    int error;
};

class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }

  private:
    int fd_;
};

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the file is as it was read: the same file, length and time.
bool unchanged(const struct stat& now, const struct stat& read) {
    return sameFile(now, read) && now.st_size == read.st_size &&
           now.st_mtim.tv_sec == read.st_mtim.tv_sec && now.st_mtim.tv_nsec == read.st_mtim.tv_nsec;
}

// Takes the exclusive lock, waiting until `deadline` at most. A file system
// without locks counts as locked: saving goes on as it did before locks.
bool lockBefore(int fd, std::chrono::steady_clock::time_point deadline) {
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
}

void writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw SaveFailed{n < 0 ? errno : EIO};
        done += static_cast<std::size_t>(n);
    }
}

// Removes what saves killed midway left behind. A save holds a lock on its
// temporary file from its creation until it has been renamed, so a file
// that can be locked belongs to no running save. Only regular files of this
// user with the program's own names go.
void removeLeftoverTemps(const std::filesystem::path& dir, const std::string& name) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::filesystem::path candidate = it->path();
        if (!isTemporaryName(candidate.filename().string(), name))
            continue;
        const Descriptor fd(
            ::open(candidate.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
        if (!fd.ok())
            continue;
        struct stat st {};
        if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
            ::unlink(candidate.c_str()); // still locked: no save can take it meanwhile
    }
}

// Writes the file where it is, for a folder that takes no new file or a
// file whose owner a new file could not keep: room for the new content
// first, so that a full disk fails before the old content is touched, then
// the bytes, the length, and a flush to disk. `locked` is the file the lock
// is held on.
void saveInPlace(const std::filesystem::path& target, const std::string& bytes,
                 const struct stat& locked) {
    const Descriptor fd(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.ok())
        throw SaveFailed{errno};
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        throw SaveFailed{errno};
    if (!S_ISREG(st.st_mode) || !sameFile(st, locked))
        throw SaveFailed{EINVAL};
    if (static_cast<std::size_t>(st.st_size) < bytes.size()) {
        const int error = ::posix_fallocate(fd.get(), 0, static_cast<off_t>(bytes.size()));
        if (error != 0 && error != EOPNOTSUPP && error != EINVAL)
            throw SaveFailed{error};
    }
    writeAll(fd.get(), bytes);
    if (::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd.get()) != 0)
        throw SaveFailed{errno};
}

// A new temporary file beside `target`, locked, or -1 with errno set.
int createTemp(const std::filesystem::path& target, std::filesystem::path& temp, mode_t mode) {
    static std::mt19937_64 rng{std::random_device{}()};
    for (int attempt = 0; attempt < 16; ++attempt) {
        temp = target.parent_path() / temporaryName(target.filename().string(), rng());
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST)
            return -1;
        if (fd < 0)
            continue;
        // Another save clearing leftovers may have locked and removed the
        // new file before this lock: then it is gone, and another name is
        // taken. Where the file system has no locks, none are cleared.
        ::flock(fd, LOCK_EX);
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_nlink > 0)
            return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

enum class Renamed {
    Done,
    FolderRefused, // no temporary file or no rename here; errno tells why
    OwnerNotKept,  // a new file could not have the old owner and group
    Appeared,      // a file appeared where none was: read it and edit again
};

// The atomic save: the whole content to a temporary file that takes the
// old file's owner, group and mode, flushed to disk, renamed over the old
// file (over nothing, when there was none) while its lock is held. Throws
// SaveFailed when writing failed; nothing is changed unless Done.
Renamed saveByRename(const std::filesystem::path& target, const std::string& bytes,
                     const struct stat* old) {
    std::filesystem::path temp;
    // Private until it has the old file's owner and mode; a new file gets
    // the usual mode the user's umask leaves.
    const int fd = createTemp(target, temp, old ? 0600 : 0666);
    if (fd < 0)
        return Renamed::FolderRefused;
    const Descriptor owned(fd);
    Renamed result = Renamed::Done;
    int error = 0;
    try {
        writeAll(fd, bytes);
        struct stat mine {};
        if (old &&
            (::fstat(fd, &mine) != 0 || mine.st_uid != old->st_uid || mine.st_gid != old->st_gid) &&
            ::fchown(fd, old->st_uid, old->st_gid) != 0)
            result = Renamed::OwnerNotKept;
        // After the owner: changing it may clear the set-id bits.
        else if (old && ::fchmod(fd, old->st_mode & 07777) != 0)
            result = Renamed::OwnerNotKept;
        else if (::fsync(fd) != 0)
            throw SaveFailed{errno};
        else if (!old) {
            // Never over a file that another program made meanwhile. A file
            // system that cannot refuse that (EINVAL) gets a plain rename.
            if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) !=
                    0 &&
                (errno != EINVAL || ::rename(temp.c_str(), target.c_str()) != 0)) {
                error = errno;
                result = error == EEXIST ? Renamed::Appeared : Renamed::FolderRefused;
            }
        } else if (::rename(temp.c_str(), target.c_str()) != 0) {
            error = errno;
            result = Renamed::FolderRefused;
        }
    } catch (const SaveFailed&) {
        ::unlink(temp.c_str());
        throw;
    }
    if (result != Renamed::Done)
        ::unlink(temp.c_str());
    errno = error;
    return result;
}

// The file a path names: a link is followed to the file it names, so the
// file is replaced and the link stays.
std::filesystem::path targetOf(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::path target = path;
    // A link to a file not there yet names the file to create.
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(target, ec); ++hops) {
        std::filesystem::path next = std::filesystem::read_symlink(target, ec);
        if (ec)
            break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    if (target.parent_path().empty())
        target = std::filesystem::path(".") / target;
    return target;
}

} // namespace

bool editFile(const std::filesystem::path& path, const FileEdit& edit,
              std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    const std::string name = path.string();
    auto busy = [&] { return SaveError(fileCreateMessage(name, kBusyReason)); };
    for (;;) {
        const std::filesystem::path target = targetOf(path);
        // The lock: on the file, or on its folder while there is no file.
        Descriptor file(::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
        const int openError = errno;
        const bool missing = !file.ok() && openError == ENOENT;
        FileBytes current;
        struct stat read {};
        const bool exists = file.ok() && ::fstat(file.get(), &read) == 0;
        if (missing) {
            const Descriptor folder(
                ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (folder.ok() && !lockBefore(folder.get(), deadline))
                throw busy();
            struct stat st {};
            if (::stat(target.c_str(), &st) == 0)
                continue;                                             // made meanwhile: lock that
            if (errno != ENOENT || ::lstat(target.c_str(), &st) == 0) // a loop of links
                throw SaveError(
                    fileCreateMessage(name, systemReason(errno == ENOENT ? ELOOP : errno)));
            current.missing = true;
            current.reason = systemReason(ENOENT);
            const auto bytes = edit(current);
            if (!bytes)
                return false;
            try {
                switch (saveByRename(target, *bytes, nullptr)) {
                case Renamed::Done:
                    removeLeftoverTemps(target.parent_path(), target.filename().string());
                    return true;
                case Renamed::Appeared:
                    continue;
                default:
                    throw SaveFailed{errno};
                }
            } catch (const SaveFailed& failed) {
                throw SaveError(fileCreateMessage(name, systemReason(failed.error)));
            }
        }
        if (!exists) {
            // Not to be opened (a file this user may not read): nothing to
            // lock, and nothing that could be replaced without losing it.
            current.reason = systemReason(file.ok() ? errno : openError);
            if (!edit(current))
                return false;
            throw SaveError(fileCreateMessage(name, current.reason));
        }
        // Only a regular file is ever replaced: never a device, a FIFO or a
        // folder that the path names or links to.
        if (!S_ISREG(read.st_mode)) {
            current.reason = std::string(kNotRegularReason);
            if (!edit(current))
                return false;
            throw SaveError(fileCreateMessage(name, kNotRegularReason));
        }
        if (!lockBefore(file.get(), deadline))
            throw busy();
        struct stat now {};
        if (::stat(target.c_str(), &now) != 0 || !sameFile(now, read))
            continue; // replaced while this writer waited: lock the new one
        ::fstat(file.get(), &read);
        current = readRegularFile(ReadableFile::adopt(::dup(file.get())), kIniFileLimit);
        const auto bytes = edit(current);
        if (!bytes)
            return false;
        // A file the user made read-only is not replaced: writing it in
        // place would fail, and renaming over it must not get round that.
        if (::access(target.c_str(), W_OK) != 0)
            throw SaveError(fileCreateMessage(name, systemReason(errno)));
        // A writer that takes no lock (a text editor) saved meanwhile: its
        // change is read and edited again rather than lost.
        if (::stat(target.c_str(), &now) != 0 || !unchanged(now, read)) {
            if (std::chrono::steady_clock::now() >= deadline)
                throw busy();
            continue;
        }
        try {
            switch (saveByRename(target, *bytes, &read)) {
            case Renamed::Done:
                removeLeftoverTemps(target.parent_path(), target.filename().string());
                return true;
            case Renamed::OwnerNotKept:
            case Renamed::FolderRefused:
                // The folder takes no new file, or a new file would not be
                // the owner's: the file itself, writable, is written in
                // place, whole, under the lock.
                saveInPlace(target, *bytes, read);
                return true;
            case Renamed::Appeared:
                continue;
            }
        } catch (const SaveFailed& failed) {
            throw SaveError(fileCreateMessage(name, systemReason(failed.error)));
        }
    }
}

} // namespace hakomaru
