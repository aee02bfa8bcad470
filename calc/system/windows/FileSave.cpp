// The steps of a save on Windows (system/SaveSteps.h).
//
// The lock is a named mutex for the file: one per folder (by its volume and
// file index, so every spelling of the folder's path gives the same one) and
// file name (in capitals, as the file system compares names, whatever the
// user's language), in the global namespace, so that writers in every
// session of the machine take turns. Like every mutex of Windows it is held
// by a thread: the same thread saving the same file from inside its own edit
// is not held back.
// A lock on the file itself, as on POSIX systems, does not work here: the
// classic replace (MoveFileExW, and the only one on FAT drives, network
// drives and older Windows) fails while any program has the old file open,
// the writer holding its lock included. A mutex whose holder dies is
// released by the system; the next writer takes it and goes on. Writers on
// other machines, saving through a network drive, are not held back by it;
// the check for a change made meanwhile still catches most of them.
//
// The replace: the new file is made with CREATE_NEW and kept open until the
// save ends (so that no other save takes it for a leftover), flushed with
// FlushFileBuffers, and renamed over the old file. Windows 10 and later
// rename with POSIX semantics, which replace a file that readers still have
// open; where that is not available, MoveFileExW with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH. Every reader of the
// program opens files shared in full (FILE_SHARE_DELETE included), so that
// neither way is refused by it, and a rename stopped by a reader is tried
// again while the reader lets go. Another program that keeps the file open
// past the wait stops the save: the file is then neither replaced nor
// written in place.
//
// What the old file had is kept as far as Windows lets the writer keep it:
// its attributes (hidden, system, archive, not indexed), its own access
// rules (an access list that is not simply inherited from the folder), and
// its owner. Giving the new file another user's ownership needs the restore
// privilege, as giving a file away does on POSIX systems; a writer without
// it writes the file in place. Windows has no group and mode to keep beyond
// these.
#include "system/FileSave.h"
#include "system/SaveSteps.h"
#include "system/windows/WinError.h"

#include <windows.h>

#include <aclapi.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#ifndef FILE_RENAME_FLAG_REPLACE_IF_EXISTS
#define FILE_RENAME_FLAG_REPLACE_IF_EXISTS 0x00000001
#endif
#ifndef FILE_RENAME_FLAG_POSIX_SEMANTICS
#define FILE_RENAME_FLAG_POSIX_SEMANTICS 0x00000002
#endif

namespace hakomaru::sys {
namespace {

class Handle {
  public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    HANDLE get() const { return handle_; }
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void reset() {
        if (ok())
            ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE handle_;
};

// What identifies a file and tells whether it changed.
struct FileState {
    DWORD volume = 0;
    ULONGLONG index = 0;
    ULONGLONG size = 0;
    ULONGLONG written = 0;
    DWORD attributes = 0;
    DWORD links = 1;
    bool regular = false;
};

std::optional<FileState> stateOf(HANDLE file) {
    FileState state;
    if (::GetFileType(file) != FILE_TYPE_DISK)
        return state; // NUL, CON, a pipe: no file, whatever else it says
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info))
        return std::nullopt;
    state.volume = info.dwVolumeSerialNumber;
    state.index = (ULONGLONG{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    state.size = (ULONGLONG{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    state.written =
        (ULONGLONG{info.ftLastWriteTime.dwHighDateTime} << 32) | info.ftLastWriteTime.dwLowDateTime;
    state.attributes = info.dwFileAttributes;
    state.links = info.nNumberOfLinks;
    state.regular = !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    return state;
}

bool sameFile(const FileState& a, const FileState& b) {
    return a.volume == b.volume && a.index == b.index;
}

// Whether the file is as it was read: the same file, length and time.
bool unchanged(const FileState& now, const FileState& read) {
    return sameFile(now, read) && now.size == read.size && now.written == read.written;
}

Handle openExisting(const std::filesystem::path& path, DWORD access) {
    // Backup semantics: a folder opens too, and is then refused as no file.
    return Handle(::CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

void pauseBefore(Deadline deadline, std::chrono::milliseconds& pause) {
    const auto left = deadline - std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, left));
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
}

std::wstring hex(unsigned long long value, int digits) {
    std::wstring text(static_cast<std::size_t>(digits), L'0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<std::size_t>(i)] = L"0123456789abcdef"[value & 15];
    return text;
}

// The name of the writers' mutex for the file `name` in `folder`.
std::wstring lockName(const std::filesystem::path& folder, std::wstring name) {
    std::wstring key;
    const Handle dir(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (dir.ok() && ::GetFileInformationByHandle(dir.get(), &info)) {
        key = hex(info.dwVolumeSerialNumber, 8) + L"-" + hex(info.nFileIndexHigh, 8) +
              hex(info.nFileIndexLow, 8);
    } else {
        // A folder that cannot be opened: no file will be saved in it, but
        // the lock still has to have a name.
        name = std::filesystem::absolute(folder).wstring() + L"\\" + name;
        key = L"path";
    }
    std::wstring upper(name.size(), L'\0');
    if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, name.data(),
                        static_cast<int>(name.size()), upper.data(), static_cast<int>(upper.size()),
                        nullptr, nullptr, 0) == 0)
        upper = name;
    // FNV-1a: the name in a fixed length (a mutex's name is limited); two
    // names of one hash only make their writers take turns.
    unsigned long long hash = 14695981039346656037ULL;
    for (const wchar_t c : upper)
        hash = (hash ^ static_cast<unsigned long long>(c)) * 1099511628211ULL;
    return L"Global\\hakomaru-writer-" + key + L"-" + hex(hash, 16);
}

// The writers' lock, held from before the file is read until its
// replacement is in place.
class WriterLock {
  public:
    // Takes the lock, waiting until `deadline` at most.
    bool take(const std::wstring& name, Deadline deadline) {
        auto pause = std::chrono::milliseconds(1);
        for (;;) {
            mutex_ = Handle(::CreateMutexW(nullptr, FALSE, name.c_str()));
            if (!mutex_.ok()) {
                // Another user's writer made it and holds it, with rights
                // for that user only: it goes away when that save ends.
                // Any other failure leaves no lock to take: the save goes
                // on as it did before there were locks.
                if (::GetLastError() != ERROR_ACCESS_DENIED)
                    return true;
                if (std::chrono::steady_clock::now() >= deadline)
                    return false;
                pauseBefore(deadline, pause);
                continue;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            const DWORD result = ::WaitForSingleObject(
                mutex_.get(), static_cast<DWORD>(std::max<long long>(left.count(), 0)));
            // Abandoned: its holder died midway, leaving the file whole and
            // at most a temporary file, which this save removes.
            held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
            return result != WAIT_TIMEOUT;
        }
    }
    WriterLock() = default;
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;
    ~WriterLock() {
        if (held_)
            ::ReleaseMutex(mutex_.get());
    }

  private:
    Handle mutex_;
    bool held_ = false;
};

[[noreturn]] void fail(DWORD error) {
    throw StepFailed{reasonOf(error)};
}

bool inUse(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Opens an existing file, waiting until `deadline` while another program
// has it open and shares it with no one; throws StepFailed with
// kInUseReason when it still has it then.
Handle openWaiting(const std::filesystem::path& path, DWORD access, Deadline deadline,
                   DWORD& error) {
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        Handle file = openExisting(path, access);
        error = file.ok() ? 0 : ::GetLastError();
        if (!inUse(error))
            return file;
        if (std::chrono::steady_clock::now() >= deadline)
            throw StepFailed{std::string(kInUseReason)};
        pauseBefore(deadline, pause);
    }
}

void writeAll(HANDLE file, const std::string& bytes) {
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        fail(::GetLastError());
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 30));
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            fail(written == 0 ? ::GetLastError() : ERROR_WRITE_FAULT);
        done += written;
    }
}

// Sets the file's end at `size`.
void endAt(HANDLE file, std::size_t size) {
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file))
        fail(::GetLastError());
}

// Removes the file an open handle names.
void removeOpen(HANDLE file) {
    FILE_DISPOSITION_INFO remove{TRUE};
    ::SetFileInformationByHandle(file, FileDispositionInfo, &remove, sizeof remove);
}

using SecurityDescriptor = std::unique_ptr<void, decltype(&::LocalFree)>;

// Whether the access list holds rules of the file's own, rather than only
// those it inherits from its folder (which the new file inherits as well).
bool hasOwnRules(PACL dacl, SECURITY_DESCRIPTOR_CONTROL control) {
    if (!dacl || (control & SE_DACL_PROTECTED))
        return true;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (::GetAce(dacl, i, &ace) && !(static_cast<ACE_HEADER*>(ace)->AceFlags & INHERITED_ACE))
            return true;
    }
    return false;
}

// Gives the new file the old one's owner and access rules; false when it
// cannot have them. A file system without them (FAT) has nothing to keep.
bool keepSecurity(HANDLE old, HANDLE fresh) {
    PSID owner = nullptr, mine = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR oldRaw = nullptr, freshRaw = nullptr;
    if (::GetSecurityInfo(old, SE_FILE_OBJECT,
                          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                          &dacl, nullptr, &oldRaw) != ERROR_SUCCESS)
        return true;
    const SecurityDescriptor oldDescriptor(oldRaw, &::LocalFree);
    if (::GetSecurityInfo(fresh, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &mine, nullptr,
                          nullptr, nullptr, &freshRaw) != ERROR_SUCCESS)
        return false;
    const SecurityDescriptor freshDescriptor(freshRaw, &::LocalFree);
    if (owner && mine && !::EqualSid(owner, mine) &&
        ::SetSecurityInfo(fresh, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, owner, nullptr,
                          nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ::GetSecurityDescriptorControl(oldRaw, &control, &revision);
    if (!hasOwnRules(dacl, control))
        return true;
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        (control & SE_DACL_PROTECTED ? PROTECTED_DACL_SECURITY_INFORMATION
                                     : UNPROTECTED_DACL_SECURITY_INFORMATION);
    return ::SetSecurityInfo(fresh, SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr) ==
           ERROR_SUCCESS;
}

// The file read through a handle of its own, so that closing the reader
// leaves `file` open.
FileBytes readThrough(HANDLE file, std::size_t limit) {
    HANDLE copy = nullptr;
    const HANDLE process = ::GetCurrentProcess();
    if (!::DuplicateHandle(process, file, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return FileBytes{{}, false, reasonOf(::GetLastError())};
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(copy), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(copy);
        return FileBytes{{}, false, systemReason(EMFILE)};
    }
    return readRegularFile(ReadableFile::adopt(fd), limit);
}

// Whether another program has the file at `path` open, which is what stops
// a rename over it that this user may make: this user may delete the file,
// and yet it cannot be replaced.
bool heldOpen(const std::filesystem::path& path) {
    const Handle probe(::CreateFileW(path.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return probe.ok() || inUse(::GetLastError());
}

} // namespace

std::filesystem::path targetOf(const std::filesystem::path& path) {
    std::filesystem::path target = path.parent_path().empty() ? "." / path : path;
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return target;
    const Handle file(openExisting(target, FILE_READ_ATTRIBUTES));
    std::wstring final(32768, L'\0');
    const DWORD length = file.ok()
                             ? ::GetFinalPathNameByHandleW(file.get(), final.data(),
                                                           static_cast<DWORD>(final.size()),
                                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS)
                             : 0;
    if (length == 0 || length >= final.size())
        return target;
    final.resize(length);
    return final;
}

// ---- The file being saved ----

struct LockedFile::State {
    WriterLock writer;
    Handle file; // open until a rename over it
    FileState read;
};

LockedFile::LockedFile(const std::filesystem::path& target, Deadline deadline)
    : target_(target), state_(std::make_unique<State>()) {
    State& s = *state_;
    if (!s.writer.take(lockName(target.parent_path(), target.filename().wstring()), deadline)) {
        lock_ = Lock::Busy;
        return;
    }
    DWORD error = 0;
    try {
        s.file = openWaiting(target, GENERIC_READ | READ_CONTROL, deadline, error);
    } catch (const StepFailed& failed) {
        lock_ = Lock::Failed;
        reason_ = failed.reason;
        return;
    }
    const auto state = s.file.ok() ? stateOf(s.file.get()) : std::nullopt;
    if (!s.file.ok()) {
        // Not there, or not to be opened (a file this user may not read):
        // nothing that could be replaced without losing it.
        found_ = errnoOfPath(error, target) == ENOENT ? Found::Missing : Found::Unusable;
        reason_ = reasonOfPath(error, target);
    } else if (!state || !state->regular) {
        found_ = Found::Unusable;
        reason_ = state ? std::string(kNotRegularReason) : reasonOf(::GetLastError());
    } else {
        s.read = *state;
    }
}

LockedFile::~LockedFile() = default;

FileBytes LockedFile::readRegular(std::size_t limit) {
    return readThrough(state_->file.get(), limit);
}

std::string LockedFile::readOnlyReason() const {
    // A file the user made read-only is not replaced, and keeps its mark.
    return state_->read.attributes & FILE_ATTRIBUTE_READONLY ? systemReason(EACCES) : std::string();
}

bool LockedFile::changedSinceRead() const {
    const Handle now = openExisting(target_, FILE_READ_ATTRIBUTES);
    const auto state = now.ok() ? stateOf(now.get()) : std::nullopt;
    return !state || !unchanged(*state, state_->read);
}

bool LockedFile::hasOtherLinks() const {
    return state_->read.links > 1;
}

void LockedFile::writeInPlace(const std::string& bytes, Deadline deadline) {
    DWORD error = 0;
    Handle file;
    try {
        file = openWaiting(target_, GENERIC_READ | GENERIC_WRITE, deadline, error);
    } catch (StepFailed& failed) {
        failed.untouched = true;
        throw;
    }
    const auto state = file.ok() ? stateOf(file.get()) : std::nullopt;
    if (!state)
        throw StepFailed{reasonOf(file.ok() ? ::GetLastError() : error), true};
    // Replaced meanwhile by a program that takes no lock.
    if (!state->regular || !sameFile(*state, state_->read))
        throw StepFailed{std::string(kBusyReason), true};
    if (state->size < bytes.size()) {
        try {
            endAt(file.get(), bytes.size());
        } catch (StepFailed& failed) {
            failed.untouched = true;
            throw;
        }
    }
    writeAll(file.get(), bytes);
    endAt(file.get(), bytes.size());
    if (!::FlushFileBuffers(file.get()))
        fail(::GetLastError());
}

// ---- A new file beside it ----

struct NewFile::State {
    Handle file;
};

NewFile::NewFile(const std::filesystem::path& target, const LockedFile* like)
    : state_(std::make_unique<State>()) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    State& s = *state_;
    const DWORD attributes =
        like ? (like->state_->read.attributes & kKept) | FILE_ATTRIBUTE_ARCHIVE
             : FILE_ATTRIBUTE_NORMAL;
    const std::string name = utf8Of(target.filename());
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 16 && !s.file.ok(); ++attempt) {
        path_ = target.parent_path() / pathFromUtf8(temporaryName(name, randomForName()));
        // Shared in full, so that it can be renamed while open.
        s.file = Handle(::CreateFileW(path_.c_str(),
                                      GENERIC_READ | GENERIC_WRITE | DELETE | READ_CONTROL |
                                          WRITE_DAC | WRITE_OWNER,
                                      kShareAll, nullptr, CREATE_NEW, attributes, nullptr));
        error = s.file.ok() ? 0 : ::GetLastError();
        if (error != 0 && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    if (!s.file.ok())
        failure_ = reasonOf(error);
}

NewFile::~NewFile() {
    if (state_->file.ok() && !moved_)
        removeOpen(state_->file.get());
}

bool NewFile::ok() const {
    return state_->file.ok();
}

void NewFile::write(const std::string& bytes) {
    writeAll(state_->file.get(), bytes);
}

bool NewFile::keepOwnerOf(const LockedFile& old) {
    return keepSecurity(old.state_->file.get(), state_->file.get());
}

void NewFile::flush() {
    if (!::FlushFileBuffers(state_->file.get()))
        fail(::GetLastError());
}

NewFile::Moved NewFile::moveTo(const std::filesystem::path& to, LockedFile* replaced,
                               Deadline deadline) {
    State& s = *state_;
    const bool replace = replaced != nullptr;
    // An open old file stops the classic rename, this writer's own included.
    if (replaced)
        replaced->state_->file.reset();
    const std::wstring full = std::filesystem::absolute(to).wstring();
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + full.size() * sizeof(wchar_t));
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->Flags =
        FILE_RENAME_FLAG_POSIX_SEMANTICS | (replace ? FILE_RENAME_FLAG_REPLACE_IF_EXISTS : 0);
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(full.size() * sizeof(wchar_t));
    std::copy(full.begin(), full.end(), info->FileName);
    auto pause = std::chrono::milliseconds(1);
    bool posix = true;
    for (;;) {
        DWORD error = 0;
        // FileRenameInfoEx, by number: older headers do not name it.
        if (!posix || !::SetFileInformationByHandle(s.file.get(),
                                                    static_cast<FILE_INFO_BY_HANDLE_CLASS>(22),
                                                    info, static_cast<DWORD>(buffer.size())))
            error = posix ? ::GetLastError() : ERROR_INVALID_PARAMETER;
        if (error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
            error == ERROR_INVALID_FUNCTION) {
            posix = false;
            error = ::MoveFileExW(path_.c_str(), to.c_str(),
                                  (replace ? MOVEFILE_REPLACE_EXISTING : 0) | MOVEFILE_WRITE_THROUGH)
                        ? 0
                        : ::GetLastError();
        }
        if (error == 0) {
            path_ = to;
            moved_ = true;
            return Moved::Done;
        }
        if (!replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS))
            return Moved::Exists;
        // A reader has the old file open: it lets go in a moment, or the
        // save gives up, changing nothing.
        const bool held = replace && (error == ERROR_ACCESS_DENIED || inUse(error)) && heldOpen(to);
        if (!held) {
            failure_ = reasonOf(error);
            return Moved::Refused;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            throw StepFailed{std::string(kInUseReason)};
        pauseBefore(deadline, pause);
    }
}

void NewFile::remove() {
    // By name: a file renamed by name (MoveFileExW) is not always removed
    // through a handle opened under its old one.
    ::DeleteFileW(path_.c_str());
    moved_ = true; // nothing left to remove
}

// ---- What killed saves left ----

void removeIfLeftover(const std::filesystem::path& leftover) {
    // Opened unshared: a save keeps its new file open until it ends, so a
    // file that opens so belongs to no running save, and no save can take
    // it meanwhile. Whether this user may delete it, its rights decide.
    const Handle file(::CreateFileW(leftover.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    const auto state = file.ok() ? stateOf(file.get()) : std::nullopt;
    if (state && state->regular && !(state->attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        removeOpen(file.get());
}

struct ClaimedCopy::State {
    Handle file;
};

ClaimedCopy::ClaimedCopy(const std::filesystem::path& copy, const LockedFile&)
    : state_(std::make_unique<State>()) {
    // Unshared, as a leftover is taken; whoever may delete it, its rights
    // decide, as they decide who may write the file.
    Handle file(::CreateFileW(copy.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    const auto state = file.ok() ? stateOf(file.get()) : std::nullopt;
    if (state && state->regular && state->links == 1 &&
        !(state->attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        state_->file = std::move(file);
}

ClaimedCopy::~ClaimedCopy() = default;

bool ClaimedCopy::ok() const {
    return state_->file.ok();
}

FileBytes ClaimedCopy::read(std::size_t limit) {
    return readThrough(state_->file.get(), limit);
}

void ClaimedCopy::remove() {
    removeOpen(state_->file.get());
}

// Windows writes a folder's names through at once (MOVEFILE_WRITE_THROUGH,
// the file system's journal): nothing to flush.
void flushFolder(const std::filesystem::path&) {}

} // namespace hakomaru::sys
