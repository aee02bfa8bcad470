// The save loop, the same on every system; each system takes the steps
// (system/SaveSteps.h) its own way.
#include "system/FileSave.h"
#include "system/SaveSteps.h"

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <random>
#include <vector>

namespace hakomaru {
namespace {

constexpr std::string_view kMark = ".hakomaru-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::string_view kCopySuffix = ".copy";
constexpr std::size_t kRandomDigits = 16, kCheckDigits = 8;

// The check part of a marked name: a mix of the random part (the finaliser
// of splitmix64), so that a name a person makes up passes only by a
// one-in-four-billion chance.
std::uint32_t checkOf(std::uint64_t random) {
    random ^= random >> 30;
    random *= 0xBF58476D1CE4E5B9ULL;
    random ^= random >> 27;
    random *= 0x94D049BB133111EBULL;
    random ^= random >> 31;
    return static_cast<std::uint32_t>(random);
}

std::optional<std::uint64_t> hexValue(std::string_view digits) {
    std::uint64_t value = 0;
    for (const char c : digits) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    return value;
}

std::string markedName(std::string_view fileName, std::uint64_t random, std::string_view suffix) {
    char parts[kRandomDigits + kCheckDigits + 2];
    std::snprintf(parts, sizeof parts, "%016llx-%08lx", static_cast<unsigned long long>(random),
                  static_cast<unsigned long>(checkOf(random)));
    return "." + std::string(fileName) + std::string(kMark) + parts + std::string(suffix);
}

bool isMarkedName(std::string_view candidate, std::string_view fileName,
                  std::string_view suffix) {
    const std::size_t head = 1 + fileName.size() + kMark.size();
    if (candidate.size() != head + kRandomDigits + 1 + kCheckDigits + suffix.size() ||
        candidate.front() != '.' || candidate.substr(1, fileName.size()) != fileName ||
        candidate.substr(1 + fileName.size(), kMark.size()) != kMark ||
        candidate[head + kRandomDigits] != '-' || !candidate.ends_with(suffix))
        return false;
    const auto random = hexValue(candidate.substr(head, kRandomDigits));
    const auto check = hexValue(candidate.substr(head + kRandomDigits + 1, kCheckDigits));
    return random && check && *check == checkOf(*random);
}

// The files in the folder of `target` whose names pass `isOurs`.
template <typename IsOurs>
std::vector<std::filesystem::path> marked(const std::filesystem::path& target, IsOurs isOurs) {
    const std::string name = utf8Of(target.filename());
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(target.parent_path(), ec), end; !ec && it != end;
         it.increment(ec))
        if (isOurs(utf8Of(it->path().filename()), name))
            found.push_back(it->path());
    return found;
}

// Removes what saves killed midway left behind, and only that.
void removeLeftovers(const std::filesystem::path& target) {
    for (const auto& leftover : marked(target, isTemporaryName))
        sys::removeIfLeftover(leftover);
}

// Puts back the old content that a writer killed while writing the file in
// place left in a copy; true when it did, and the file is to be read anew.
bool restoreFromCopy(const std::filesystem::path& target, sys::LockedFile& file,
                     sys::Deadline deadline) {
    bool restored = false;
    for (const auto& path : marked(target, isCopyName)) {
        sys::ClaimedCopy copy(path, file);
        if (!copy.ok())
            continue;
        const FileBytes old = copy.read(kIniFileLimit);
        if (!old.ok())
            continue;
        if (!restored)
            file.writeInPlace(old.bytes, deadline);
        restored = true;
        copy.remove(); // only once the old content is back and flushed
    }
    return restored;
}

// Writes `bytes` over the file where it is, keeping a whole copy of `old`
// (what the file holds) beside it until they are written and flushed.
void writeInPlace(const std::filesystem::path& target, sys::LockedFile& file,
                  const std::string& old, const std::string& bytes, sys::Deadline deadline) {
    sys::NewFile copy(target, &file);
    bool copied = false;
    if (copy.ok()) {
        copy.write(old);
        copy.flush();
        // Under the copy's name only once whole: a copy found is a whole one.
        for (int attempt = 0; !copied && attempt < 16; ++attempt) {
            const auto name = target.parent_path() /
                              pathFromUtf8(copyName(utf8Of(target.filename()), sys::randomForName()));
            switch (copy.moveTo(name, nullptr, deadline)) {
            case sys::NewFile::Moved::Done:
                copied = true;
                break;
            case sys::NewFile::Moved::Exists:
                break;
            case sys::NewFile::Moved::Refused:
                throw sys::StepFailed{copy.failure()};
            }
        }
        if (!copied)
            throw sys::StepFailed{systemReason(EEXIST)};
        sys::flushFolder(target.parent_path());
    }
    // Else the folder takes no new file at all: there is nowhere to put a
    // copy, and the file is written in place as it is.
    try {
        file.writeInPlace(bytes, deadline);
    } catch (const sys::StepFailed& failed) {
        // The old content goes back at once where it may have been touched;
        // where even that fails, the copy stays for the next writer.
        if (copied) {
            try {
                if (!failed.untouched)
                    file.writeInPlace(old, deadline);
                copy.remove();
            } catch (const sys::StepFailed&) {
            }
        }
        throw;
    }
    if (copied)
        copy.remove();
}

} // namespace

namespace sys {

FileBytes LockedFile::read(std::size_t limit) {
    switch (found_) {
    case Found::Missing:
        return FileBytes{{}, true, systemReason(ENOENT)};
    case Found::Unusable:
        return FileBytes{{}, false, reason_};
    case Found::Regular:
        break;
    }
    return readRegular(limit);
}

std::uint64_t randomForName() {
    static std::mutex guard;
    static std::mt19937_64 random{std::random_device{}()};
    const std::lock_guard<std::mutex> hold(guard);
    return random();
}

} // namespace sys

std::string temporaryName(std::string_view fileName, std::uint64_t random) {
    return markedName(fileName, random, kTemporarySuffix);
}

bool isTemporaryName(std::string_view candidate, std::string_view fileName) {
    return isMarkedName(candidate, fileName, kTemporarySuffix);
}

std::string copyName(std::string_view fileName, std::uint64_t random) {
    return markedName(fileName, random, kCopySuffix);
}

bool isCopyName(std::string_view candidate, std::string_view fileName) {
    return isMarkedName(candidate, fileName, kCopySuffix);
}

bool editFile(const std::filesystem::path& path, const FileEdit& edit,
              std::chrono::milliseconds wait) {
    using sys::LockedFile;
    using sys::NewFile;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    const std::string name = utf8Of(path);
    auto refused = [&](std::string_view reason) {
        return SaveError(fileCreateMessage(name, reason));
    };
    for (;;) {
        try {
            const std::filesystem::path target = sys::targetOf(path);
            LockedFile file(target, deadline);
            switch (file.lock()) {
            case LockedFile::Lock::Held:
                break;
            case LockedFile::Lock::Busy:
                throw refused(kBusyReason);
            case LockedFile::Lock::Moved:
                continue; // replaced while this writer waited: lock the new one
            case LockedFile::Lock::Failed:
                throw refused(file.failure());
            }
            if (file.found() == LockedFile::Found::Regular && restoreFromCopy(target, file, deadline))
                continue;
            const FileBytes current = file.read(kIniFileLimit);
            const auto bytes = edit(current);
            if (!bytes)
                return false;
            // Not to be opened, or no regular file (a device, a FIFO, a
            // folder the path names or links to): nothing that could be
            // replaced without losing it.
            if (file.found() == LockedFile::Found::Unusable)
                throw refused(current.reason);
            // Every reader would refuse what this wrote.
            if (bytes->size() > kIniFileLimit)
                throw refused(tooLargeToSaveReason(bytes->size(), kIniFileLimit));
            if (file.found() == LockedFile::Found::Missing) {
                NewFile fresh(target, nullptr);
                if (!fresh.ok())
                    throw refused(fresh.failure());
                fresh.write(*bytes);
                fresh.flush();
                switch (fresh.moveTo(target, nullptr, deadline)) {
                case NewFile::Moved::Done:
                    removeLeftovers(target);
                    return true;
                case NewFile::Moved::Exists:
                    continue; // made meanwhile: read it and edit again
                case NewFile::Moved::Refused:
                    throw refused(fresh.failure());
                }
            }
            // A file the user made read-only is not replaced: writing it in
            // place would fail, and renaming over it must not get round that.
            if (const std::string reason = file.readOnlyReason(); !reason.empty())
                throw refused(reason);
            // A writer that takes no lock (a text editor) saved meanwhile:
            // its change is read and edited again rather than lost.
            if (file.changedSinceRead()) {
                if (std::chrono::steady_clock::now() >= deadline)
                    throw refused(kBusyReason);
                continue;
            }
            // The atomic save: the whole content to a new file that takes
            // the old one's owner and rights, flushed to disk, and renamed
            // over the old file. Not for a file with other names, which
            // would keep the old content.
            if (!file.hasOtherLinks()) {
                NewFile fresh(target, &file);
                if (fresh.ok()) {
                    fresh.write(*bytes);
                    if (fresh.keepOwnerOf(file)) {
                        fresh.flush();
                        if (fresh.moveTo(target, &file, deadline) == NewFile::Moved::Done) {
                            removeLeftovers(target);
                            return true;
                        }
                    }
                }
            }
            // Other names, an owner a new file could not have, or a folder
            // that takes no new file or no rename: the file itself is
            // written, whole, under the lock, with a copy of what it held.
            if (!current.ok())
                throw refused(current.reason); // no copy of what was not read
            writeInPlace(target, file, current.bytes, *bytes, deadline);
            removeLeftovers(target);
            return true;
        } catch (const sys::StepFailed& failed) {
            throw refused(failed.reason);
        }
    }
}

void saveFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    editFile(path, [&](const FileBytes&) { return std::optional<std::string>(bytes); });
}

} // namespace hakomaru
