#pragma once
// The steps of a save that each system takes its own way: locking the file
// against the program's other writers, telling which file it is and whether
// it changed, making a new file beside it, moving that over it, writing it
// in place, and removing what a killed save left. The one save loop,
// editFile() in system/FileSave.cpp, decides what is done and in which
// order; posix/FileSave.cpp and windows/FileSave.cpp only take the steps.
#include "system/FileRead.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace hakomaru::sys {

using Deadline = std::chrono::steady_clock::time_point;

// A step that failed, with the reason the message gives.
struct StepFailed {
    std::string reason;
    bool untouched = false; // failed before it changed the file
};

// A random number for the names of the files a save makes.
std::uint64_t randomForName();

// The file a path names: a link is followed to the file it names, so that
// the file is written and the link stays.
std::filesystem::path targetOf(const std::filesystem::path& path);

// The file being saved, locked against the program's other writers from
// before it is read until the save ends.
class LockedFile {
  public:
    enum class Lock {
        Held,   // locked; what is found there, found() tells
        Busy,   // another writer of the program held it past the deadline
        Moved,  // the path names another file now: lock that one
        Failed, // cannot be locked or read at all; failure() tells why
    };
    enum class Found { Missing, Regular, Unusable };

    LockedFile(const std::filesystem::path& target, Deadline deadline);
    ~LockedFile();
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    Lock lock() const { return lock_; }
    const std::string& failure() const { return reason_; }
    // Nothing there; a regular file; or something that is no regular file or
    // cannot be opened, which nothing may replace (read() says why).
    Found found() const { return found_; }
    // The content, read through the lock.
    FileBytes read(std::size_t limit);
    // Why this user may not write the file (it is read-only); empty when
    // they may.
    std::string readOnlyReason() const;
    // Whether the path no longer names the file as it was read: replaced,
    // or written by a program that takes no lock.
    bool changedSinceRead() const;
    // Whether the file has other names (hard links), which a new file put
    // in its place would leave behind.
    bool hasOtherLinks() const;
    // Writes `bytes` over the file where it is: room for them first, so
    // that a full disk fails before the old content is touched, then the
    // bytes, the length, and a flush to disk. Waits until `deadline` for a
    // program that keeps the file to itself. Throws StepFailed.
    void writeInPlace(const std::string& bytes, Deadline deadline);

  private:
    friend class NewFile;
    friend class ClaimedCopy;
    FileBytes readRegular(std::size_t limit);

    Lock lock_ = Lock::Held;
    Found found_ = Found::Regular;
    std::string reason_; // why it failed, or why it is unusable
    std::filesystem::path target_;
    struct State;
    std::unique_ptr<State> state_;
};

// A new file beside a target, under the program's marked temporary name
// (temporaryName()), held from its creation until the save ends, so that no
// other save takes it for a leftover. Removed when the object goes, unless
// it was moved.
class NewFile {
  public:
    // `like`: the file it will replace or copy, whose attributes it takes
    // and whose content it keeps as private until it has its rights; none
    // for a file made where there is none.
    NewFile(const std::filesystem::path& target, const LockedFile* like);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // False when the folder takes no new file; failure() says why.
    bool ok() const;
    const std::string& failure() const { return failure_; }
    // The whole content. Throws StepFailed.
    void write(const std::string& bytes);
    // Gives it the owner and rights of `old` (owner, group and mode on
    // POSIX systems; owner and access rules on Windows); false when this
    // user may not.
    bool keepOwnerOf(const LockedFile& old);
    // Flushes it to disk. Throws StepFailed.
    void flush();

    enum class Moved {
        Done,
        Exists,  // a file appeared where none was to be replaced
        Refused, // the folder or the file refuses it; failure() says why
    };
    // Renames it to `to`: over the file `replaced` (which is let go first
    // where an open file stops the rename), or, with none, never over a
    // file that is there. Throws StepFailed with kInUseReason when another
    // program keeps the old file open past `deadline`.
    Moved moveTo(const std::filesystem::path& to, LockedFile* replaced, Deadline deadline);
    // Removes it under the name it was moved to.
    void remove();

  private:
    std::filesystem::path path_; // its temporary name, then the one it was moved to
    bool moved_ = false;
    std::string failure_;
    struct State;
    std::unique_ptr<State> state_;
};

// Removes a file with a temporary name if it is a leftover: a regular file
// of this user's that no running save holds.
void removeIfLeftover(const std::filesystem::path& leftover);

// A copy of a file that a writer killed while writing the file in place
// left (copyName()), claimed so that no other writer takes it: a regular
// file with no other name, that no running save holds, made by a user who
// could have written the target anyway.
class ClaimedCopy {
  public:
    ClaimedCopy(const std::filesystem::path& copy, const LockedFile& target);
    ~ClaimedCopy();
    ClaimedCopy(const ClaimedCopy&) = delete;
    ClaimedCopy& operator=(const ClaimedCopy&) = delete;

    bool ok() const;
    FileBytes read(std::size_t limit);
    void remove();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Flushes a folder's names to disk, so that a file moved into it is there
// after a crash.
void flushFolder(const std::filesystem::path& folder);

} // namespace hakomaru::sys
