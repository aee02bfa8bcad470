// The steps of a save on POSIX systems (system/SaveSteps.h).
//
// The lock is an flock() on the file itself, held from before the file is
// read until its replacement is in place. A waiting writer holds a
// descriptor of the file it found; when the file it locked is no longer the
// one the path names (the writer before it renamed a new file over it), it
// lets go and locks the new one. A new file is locked from its creation, so
// a file renamed into place is locked already when it appears, and a
// temporary file or a copy that can be locked belongs to no running save.
// A file that does not exist yet is created under a lock on its folder.
#include "system/FileSave.h"
#include "system/SaveSteps.h"

#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hakomaru::sys {
namespace {

class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

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
bool lockBefore(int fd, Deadline deadline) {
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

[[noreturn]] void fail(int error) {
    throw StepFailed{systemReason(error)};
}

void writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
}

} // namespace

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

// ---- The file being saved ----

struct LockedFile::State {
    Descriptor file;   // locked when Regular
    Descriptor folder; // locked when Missing
    struct stat read {};
};

LockedFile::LockedFile(const std::filesystem::path& target, Deadline deadline)
    : target_(target), state_(std::make_unique<State>()) {
    State& s = *state_;
    s.file.reset(::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    const int openError = errno;
    if (!s.file.ok() && openError == ENOENT) {
        found_ = Found::Missing;
        s.folder.reset(::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat st {};
        if (s.folder.ok() && !lockBefore(s.folder.get(), deadline))
            lock_ = Lock::Busy;
        else if (::stat(target.c_str(), &st) == 0)
            lock_ = Lock::Moved; // made meanwhile: lock that
        else if (errno != ENOENT || ::lstat(target.c_str(), &st) == 0) {
            lock_ = Lock::Failed; // a loop of links
            reason_ = systemReason(errno == ENOENT ? ELOOP : errno);
        }
        return;
    }
    // Not to be opened (a file this user may not read): nothing to lock.
    if (!s.file.ok() || ::fstat(s.file.get(), &s.read) != 0) {
        found_ = Found::Unusable;
        reason_ = systemReason(s.file.ok() ? errno : openError);
    } else if (!S_ISREG(s.read.st_mode)) {
        found_ = Found::Unusable;
        reason_ = std::string(kNotRegularReason);
    } else if (!lockBefore(s.file.get(), deadline)) {
        lock_ = Lock::Busy;
    } else if (struct stat now {}; ::stat(target.c_str(), &now) != 0 || !sameFile(now, s.read)) {
        lock_ = Lock::Moved; // replaced while this writer waited
    } else {
        ::fstat(s.file.get(), &s.read);
    }
}

LockedFile::~LockedFile() = default;

FileBytes LockedFile::readRegular(std::size_t limit) {
    return readRegularFile(ReadableFile::adopt(::dup(state_->file.get())), limit);
}

std::string LockedFile::readOnlyReason() const {
    return ::access(target_.c_str(), W_OK) == 0 ? std::string() : systemReason(errno);
}

bool LockedFile::changedSinceRead() const {
    struct stat now {};
    return ::stat(target_.c_str(), &now) != 0 || !unchanged(now, state_->read);
}

bool LockedFile::hasOtherLinks() const {
    return state_->read.st_nlink > 1;
}

void LockedFile::writeInPlace(const std::string& bytes, Deadline) {
    auto untouched = [](int error) { return StepFailed{systemReason(error), true}; };
    const Descriptor fd(::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (!fd.ok() || ::fstat(fd.get(), &st) != 0)
        throw untouched(errno);
    // Replaced meanwhile by a program that takes no lock.
    if (!S_ISREG(st.st_mode) || !sameFile(st, state_->read))
        throw StepFailed{std::string(kBusyReason), true};
    if (static_cast<std::size_t>(st.st_size) < bytes.size()) {
        const int error = ::posix_fallocate(fd.get(), 0, static_cast<off_t>(bytes.size()));
        if (error != 0 && error != EOPNOTSUPP && error != EINVAL)
            throw untouched(error);
    }
    writeAll(fd.get(), bytes);
    if (::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd.get()) != 0)
        fail(errno);
}

// ---- A new file beside it ----

struct NewFile::State {
    Descriptor fd;
};

NewFile::NewFile(const std::filesystem::path& target, const LockedFile* like)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    // Private until it has the old file's owner and mode; a file made new
    // gets the usual mode the user's umask leaves.
    const mode_t mode = like ? 0600 : 0666;
    for (int attempt = 0; attempt < 16; ++attempt) {
        path_ = target.parent_path() / temporaryName(target.filename().string(), randomForName());
        s.fd.reset(::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
        if (!s.fd.ok() && errno != EEXIST)
            break;
        if (!s.fd.ok())
            continue;
        // Another save clearing leftovers may have locked and removed the
        // new file before this lock: then it is gone, and another name is
        // taken. Where the file system has no locks, none are cleared.
        ::flock(s.fd.get(), LOCK_EX);
        struct stat st {};
        if (::fstat(s.fd.get(), &st) == 0 && st.st_nlink > 0)
            return;
        s.fd.reset();
        errno = EEXIST;
    }
    failure_ = systemReason(errno);
}

NewFile::~NewFile() {
    if (state_->fd.ok() && !moved_)
        ::unlink(path_.c_str());
}

bool NewFile::ok() const {
    return state_->fd.ok();
}

void NewFile::write(const std::string& bytes) {
    writeAll(state_->fd.get(), bytes);
}

bool NewFile::keepOwnerOf(const LockedFile& old) {
    const struct stat& was = old.state_->read;
    const int fd = state_->fd.get();
    struct stat mine {};
    if ((::fstat(fd, &mine) != 0 || mine.st_uid != was.st_uid || mine.st_gid != was.st_gid) &&
        ::fchown(fd, was.st_uid, was.st_gid) != 0)
        return false;
    // After the owner: changing it may clear the set-id bits.
    return ::fchmod(fd, was.st_mode & 07777) == 0;
}

void NewFile::flush() {
    if (::fsync(state_->fd.get()) != 0)
        fail(errno);
}

NewFile::Moved NewFile::moveTo(const std::filesystem::path& to, LockedFile* replaced, Deadline) {
    int result = 0;
    if (replaced)
        result = ::rename(path_.c_str(), to.c_str());
    else if ((result = ::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, to.c_str(),
                                   RENAME_NOREPLACE)) != 0 &&
             errno == EINVAL)
        // A file system that cannot refuse to replace gets a plain rename.
        result = ::rename(path_.c_str(), to.c_str());
    if (result != 0) {
        if (!replaced && errno == EEXIST)
            return Moved::Exists;
        failure_ = systemReason(errno);
        return Moved::Refused;
    }
    path_ = to;
    moved_ = true;
    return Moved::Done;
}

void NewFile::remove() {
    ::unlink(path_.c_str());
    moved_ = true; // nothing left to remove
}

// ---- What killed saves left ----

void removeIfLeftover(const std::filesystem::path& leftover) {
    const Descriptor fd(::open(leftover.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.ok())
        return;
    struct stat st {};
    if (::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
        ::unlink(leftover.c_str()); // still locked: no save can take it meanwhile
}

struct ClaimedCopy::State {
    std::filesystem::path path;
    Descriptor fd;
};

ClaimedCopy::ClaimedCopy(const std::filesystem::path& copy, const LockedFile& target)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.path = copy;
    s.fd.reset(::open(copy.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    // Made by a user who could have written these bytes into the file
    // anyway: this one, the file's owner, or any user the file lets write.
    const struct stat& file = target.state_->read;
    const bool ours = s.fd.ok() && ::fstat(s.fd.get(), &st) == 0 && S_ISREG(st.st_mode) &&
                      st.st_nlink == 1 &&
                      (st.st_uid == ::geteuid() || st.st_uid == file.st_uid ||
                       (file.st_mode & S_IWOTH) ||
                       ((file.st_mode & S_IWGRP) && st.st_gid == file.st_gid)) &&
                      ::flock(s.fd.get(), LOCK_EX | LOCK_NB) == 0;
    if (!ours)
        s.fd.reset();
}

ClaimedCopy::~ClaimedCopy() = default;

bool ClaimedCopy::ok() const {
    return state_->fd.ok();
}

FileBytes ClaimedCopy::read(std::size_t limit) {
    return readRegularFile(ReadableFile::adopt(::dup(state_->fd.get())), limit);
}

void ClaimedCopy::remove() {
    ::unlink(state_->path.c_str());
}

void flushFolder(const std::filesystem::path& folder) {
    const Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.ok())
        ::fsync(fd.get());
}

} // namespace hakomaru::sys
