// editFile() on Windows.
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
// the check for a change made meanwhile (below) still catches most of them.
//
// The replace: the new content goes to a temporary file made with
// CREATE_NEW under the program's marked name, flushed to disk
// (FlushFileBuffers), and then renamed over the old file. Windows 10 and
// later rename with POSIX semantics, which replace a file that readers still
// have open; where that is not available, MoveFileExW with
// MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, retried while a reader
// still has the old file open (a reader keeps it for milliseconds). Every
// reader of the program opens files shared in full (FILE_SHARE_DELETE
// included), so that neither way is refused by it.
//
// What the old file had is kept as far as Windows lets the writer keep it:
// its attributes (hidden, system, archive, not indexed), its own access
// rules (an access list that is not simply inherited from the folder), and
// its owner. Giving the new file another user's ownership needs the restore
// privilege, as giving a file away does on POSIX systems; a writer without
// it writes the file in place, whole, under the lock, so that the owner
// never changes. Windows has no group and mode to keep beyond these.
#include "system/FileSave.h"
#include "system/windows/WinError.h"

#include <windows.h>

#include <aclapi.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <memory>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#ifndef FILE_RENAME_FLAG_REPLACE_IF_EXISTS
#define FILE_RENAME_FLAG_REPLACE_IF_EXISTS 0x00000001
#endif
#ifndef FILE_RENAME_FLAG_POSIX_SEMANTICS
#define FILE_RENAME_FLAG_POSIX_SEMANTICS 0x00000002
#endif

namespace hakomaru {
namespace {

using sys::kShareAll;

// A save that could not go on, with the system's error code.
struct SaveFailed {
    DWORD error;
};

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

void pauseBefore(std::chrono::steady_clock::time_point deadline, std::chrono::milliseconds& pause) {
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
    bool take(const std::wstring& name, std::chrono::steady_clock::time_point deadline) {
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

void writeAll(HANDLE file, const std::string& bytes) {
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        throw SaveFailed{::GetLastError()};
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 30));
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            throw SaveFailed{written == 0 ? ::GetLastError() : ERROR_WRITE_FAULT};
        done += written;
    }
}

// Sets the file's end at `size`.
void endAt(HANDLE file, std::size_t size) {
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file))
        throw SaveFailed{::GetLastError()};
}

// Removes what saves killed midway left behind: regular files with the
// program's own names that no program has open. A save keeps its temporary
// file open from its creation until it has been renamed, so a file that
// opens unshared belongs to no running save; and opened so, no save can
// take it meanwhile. Whether this user may delete it, its rights decide.
void removeLeftoverTemps(const std::filesystem::path& folder, const std::string& name) {
    WIN32_FIND_DATAW found{};
    const std::filesystem::path pattern = folder / pathFromUtf8("." + name + ".hakomaru-*");
    const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT) ||
            !isTemporaryName(utf8Of(std::filesystem::path(found.cFileName)), name))
            continue;
        const Handle file(::CreateFileW((folder / found.cFileName).c_str(),
                                        DELETE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        const auto state = file.ok() ? stateOf(file.get()) : std::nullopt;
        if (!state || !state->regular || (state->attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        FILE_DISPOSITION_INFO remove{TRUE};
        ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &remove, sizeof remove);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

// Writes the file where it is, for a folder that takes no new file or a
// file whose owner a new file could not keep: room for the new content
// first, so that a full disk fails before the old content is touched, then
// the bytes, the length, and a flush to disk. `locked` is the file read.
void saveInPlace(const std::filesystem::path& target, const std::string& bytes,
                 const FileState& locked) {
    const Handle file(openExisting(target, GENERIC_READ | GENERIC_WRITE));
    if (!file.ok())
        throw SaveFailed{::GetLastError()};
    const auto state = stateOf(file.get());
    if (!state)
        throw SaveFailed{::GetLastError()};
    if (!state->regular || !sameFile(*state, locked))
        throw SaveFailed{ERROR_INVALID_PARAMETER};
    if (state->size < bytes.size())
        endAt(file.get(), bytes.size());
    writeAll(file.get(), bytes);
    endAt(file.get(), bytes.size());
    if (!::FlushFileBuffers(file.get()))
        throw SaveFailed{::GetLastError()};
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

// A new temporary file beside `target`, open for writing and shared in full
// (so that it can be renamed while open); not open, with the error, when
// the folder takes no new file.
Handle createTemp(const std::filesystem::path& target, std::filesystem::path& temp,
                  DWORD attributes, DWORD& error) {
    static std::mt19937_64 random{std::random_device{}()};
    const std::string name = utf8Of(target.filename());
    for (int attempt = 0; attempt < 16; ++attempt) {
        temp = target.parent_path() / pathFromUtf8(temporaryName(name, random()));
        Handle file(::CreateFileW(temp.c_str(),
                                  GENERIC_READ | GENERIC_WRITE | DELETE | READ_CONTROL | WRITE_DAC |
                                      WRITE_OWNER,
                                  kShareAll, nullptr, CREATE_NEW, attributes, nullptr));
        if (file.ok())
            return file;
        error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return Handle();
    }
    return Handle();
}

// Renames the open temporary file over `target` (or to it, where there is
// no file: then never over one that appeared meanwhile). Returns 0 or the
// error that stopped it.
DWORD renameOver(HANDLE file, const std::filesystem::path& temp,
                 const std::filesystem::path& target, bool replace,
                 std::chrono::steady_clock::time_point deadline) {
    const std::wstring full = std::filesystem::absolute(target).wstring();
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
        // FileRenameInfoEx, by number: older headers do not name it.
        if (posix && ::SetFileInformationByHandle(file, static_cast<FILE_INFO_BY_HANDLE_CLASS>(22),
                                                  info, static_cast<DWORD>(buffer.size())))
            return 0;
        DWORD error = posix ? ::GetLastError() : ERROR_INVALID_PARAMETER;
        if (error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
            error == ERROR_INVALID_FUNCTION) {
            posix = false;
            if (::MoveFileExW(temp.c_str(), target.c_str(),
                              (replace ? MOVEFILE_REPLACE_EXISTING : 0) | MOVEFILE_WRITE_THROUGH))
                return 0;
            error = ::GetLastError();
        }
        // A reader still has the old file open: it lets go in a moment.
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) ||
            std::chrono::steady_clock::now() >= deadline)
            return error;
        pauseBefore(deadline, pause);
    }
}

enum class Renamed {
    Done,
    FolderRefused, // no temporary file or no rename here; `error` tells why
    OwnerNotKept,  // a new file could not have the old owner and rights
    Appeared,      // a file appeared where none was: read it and edit again
};

// The atomic save: the whole content to a temporary file that takes the
// old file's owner, rights and attributes, flushed to disk, renamed over the
// old file (over nothing, when there was none). `old` is closed before the
// rename: an open old file stops the classic one. Throws SaveFailed when
// writing failed; nothing is changed unless Done.
Renamed saveByRename(const std::filesystem::path& target, const std::string& bytes, Handle* old,
                     const FileState* oldState, std::chrono::steady_clock::time_point deadline,
                     DWORD& error) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    std::filesystem::path temp;
    const DWORD attributes =
        oldState ? (oldState->attributes & kKept) | FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_NORMAL;
    Handle file = createTemp(target, temp, attributes, error);
    if (!file.ok())
        return Renamed::FolderRefused;
    auto discard = [&] {
        FILE_DISPOSITION_INFO remove{TRUE};
        ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &remove, sizeof remove);
    };
    try {
        writeAll(file.get(), bytes);
        if (old && !keepSecurity(old->get(), file.get())) {
            discard();
            return Renamed::OwnerNotKept;
        }
        if (!::FlushFileBuffers(file.get()))
            throw SaveFailed{::GetLastError()};
    } catch (const SaveFailed&) {
        discard();
        throw;
    }
    if (old)
        old->reset();
    error = renameOver(file.get(), temp, target, old != nullptr, deadline);
    if (error == 0)
        return Renamed::Done;
    discard();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Renamed::Appeared
                                                                       : Renamed::FolderRefused;
}

// The file a path names: a link is followed to the file it names, so the
// file is replaced and the link stays.
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

// The file read through a handle of its own, so that closing the reader
// leaves `file` open.
FileBytes readThrough(HANDLE file) {
    HANDLE copy = nullptr;
    const HANDLE process = ::GetCurrentProcess();
    if (!::DuplicateHandle(process, file, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return FileBytes{{}, false, systemReason(sys::errnoOf(::GetLastError()))};
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(copy), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(copy);
        return FileBytes{{}, false, systemReason(EMFILE)};
    }
    return readRegularFile(ReadableFile::adopt(fd), kIniFileLimit);
}

} // namespace

bool editFile(const std::filesystem::path& path, const FileEdit& edit,
              std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    const std::string name = utf8Of(path);
    auto busy = [&] { return SaveError(fileCreateMessage(name, kBusyReason)); };
    for (;;) {
        const std::filesystem::path target = targetOf(path);
        const std::filesystem::path folder = target.parent_path();
        const std::string fileName = utf8Of(target.filename());
        auto failure = [&](DWORD error) {
            if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
                return busy(); // another program keeps the file to itself
            return SaveError(
                fileCreateMessage(name, systemReason(sys::errnoOfPath(error, target))));
        };
        WriterLock lock;
        if (!lock.take(lockName(folder, target.filename().wstring()), deadline))
            throw busy();
        Handle file = openExisting(target, GENERIC_READ | READ_CONTROL);
        const DWORD openError = file.ok() ? 0 : ::GetLastError();
        FileBytes current;
        if (!file.ok() && sys::errnoOfPath(openError, target) == ENOENT) {
            current.missing = true;
            current.reason = systemReason(ENOENT);
            const auto bytes = edit(current);
            if (!bytes)
                return false;
            DWORD error = 0;
            try {
                switch (saveByRename(target, *bytes, nullptr, nullptr, deadline, error)) {
                case Renamed::Done:
                    removeLeftoverTemps(folder, fileName);
                    return true;
                case Renamed::Appeared:
                    continue;
                default:
                    throw failure(error);
                }
            } catch (const SaveFailed& failed) {
                throw failure(failed.error);
            }
        }
        const auto read = file.ok() ? stateOf(file.get()) : std::nullopt;
        if (!read) {
            // Not to be opened (a file this user may not read): nothing that
            // could be replaced without losing it.
            const DWORD error = file.ok() ? ::GetLastError() : openError;
            current.reason = systemReason(sys::errnoOfPath(error, target));
            if (!edit(current))
                return false;
            throw failure(error);
        }
        // Only a regular file is ever replaced: never a folder or a device
        // that the path names.
        if (!read->regular) {
            current.reason = std::string(kNotRegularReason);
            if (!edit(current))
                return false;
            throw SaveError(fileCreateMessage(name, kNotRegularReason));
        }
        current = readThrough(file.get());
        const auto bytes = edit(current);
        if (!bytes)
            return false;
        // A file the user made read-only is not replaced, and keeps its mark.
        if (read->attributes & FILE_ATTRIBUTE_READONLY)
            throw SaveError(fileCreateMessage(name, systemReason(EACCES)));
        // A writer that takes no lock (a text editor) saved meanwhile: its
        // change is read and edited again rather than lost.
        {
            const Handle now = openExisting(target, FILE_READ_ATTRIBUTES);
            const auto state = now.ok() ? stateOf(now.get()) : std::nullopt;
            if (!state || !unchanged(*state, *read)) {
                if (std::chrono::steady_clock::now() >= deadline)
                    throw busy();
                continue;
            }
        }
        DWORD error = 0;
        try {
            switch (saveByRename(target, *bytes, &file, &*read, deadline, error)) {
            case Renamed::Done:
                removeLeftoverTemps(folder, fileName);
                return true;
            case Renamed::OwnerNotKept:
            case Renamed::FolderRefused:
                // The folder takes no new file, or a new file would not be
                // the owner's: the file itself is written in place, whole,
                // under the lock.
                saveInPlace(target, *bytes, *read);
                return true;
            case Renamed::Appeared:
                continue;
            }
        } catch (const SaveFailed& failed) {
            throw failure(failed.error);
        }
    }
}

} // namespace hakomaru
