#include "IniStore.h"

#include "FileRead.h"
#include "Sjis.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace hakomaru {
namespace {

constexpr bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

inline std::string_view trimmed(const char* begin, const char* end) {
    while (begin < end && isBlank(*begin))
        ++begin;
    while (end > begin && isBlank(end[-1]))
        --end;
    return {begin, static_cast<size_t>(end - begin)};
}

constexpr unsigned char upperAscii(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

struct Entry {
    std::string_view key, value;
};

// The key and value of a line with "=", split at the first one.
inline std::optional<Entry> entryOf(std::string_view line) {
    const auto* eq = static_cast<const char*>(std::memchr(line.data(), '=', line.size()));
    if (!eq)
        return std::nullopt;
    return Entry{trimmed(line.data(), eq), trimmed(eq + 1, line.data() + line.size())};
}

} // namespace

std::string readFileBytes(const std::filesystem::path& path) {
    return readRegularFile(path, kIniFileLimit).bytes;
}

bool IniStore::namesMatch(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[i]);
        if (isSjisLeadByte(ca)) {
            // A double-byte character: its trail byte may look like an ASCII
            // letter but must compare exactly.
            if (ca != cb || (i + 1 < a.size() && a[i + 1] != b[i + 1]))
                return false;
            ++i;
            continue;
        }
        if (upperAscii(ca) != upperAscii(cb))
            return false;
    }
    return true;
}

IniStore::IniStore(std::string bytes)
    : bytes_(std::make_unique<const std::string>(std::move(bytes))) {
    findSections();
}

IniStore IniStore::open(const std::filesystem::path& path) {
    FileBytes file = readRegularFile(path, kIniFileLimit);
    IniStore store(std::move(file.bytes));
    store.readFailure_ = std::move(file.reason);
    store.fileMissing_ = file.missing;
    return store;
}

namespace {

constexpr bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// The end of the line that starts at `p`: the next CR or LF, or `end`.
const char* lineEndFrom(const char* p, const char* end) {
    // Two vectorised scans within the line's bounds: LF first, then a CR
    // before it (a CR LF pair, or a lone CR that ends the line early).
    const auto* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* lineEnd = lf ? lf : end;
    const auto* cr =
        static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(lineEnd - p)));
    return cr ? cr : lineEnd;
}

// The start of the next line after a line that ends at `lineEnd`.
const char* nextLine(const char* lineEnd, const char* end) {
    if (lineEnd >= end)
        return end;
    if (lineEnd[0] == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n')
        return lineEnd + 2;
    return lineEnd + 1;
}

// The name of a section header, given its trimmed line: "[" name "]".
inline std::optional<std::string_view> headerName(std::string_view line) {
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return std::nullopt;
    return trimmed(line.data() + 1, line.data() + line.size() - 1);
}

} // namespace

std::vector<IniLine> iniLines(std::string_view bytes) {
    std::vector<IniLine> lines;
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    bool inSection = false;
    for (size_t number = 1; p < end; ++number) {
        const char* lineEnd = lineEndFrom(p, end);
        IniLine& line = lines.emplace_back();
        line.number = number;
        line.text = trimmed(p, lineEnd);
        p = nextLine(lineEnd, end);
        const std::string_view text = line.text;
        if (auto name = headerName(text)) {
            line.kind = IniLine::Kind::Section;
            line.name = *name;
            inSection = true;
        } else if (text.empty() || text.front() == ';' || !inSection) {
            line.kind = IniLine::Kind::Ignored;
        } else if (auto entry = entryOf(text)) {
            line.kind = IniLine::Kind::Entry;
            line.name = entry->key;
            line.value = entry->value;
        } else {
            line.kind = IniLine::Kind::Other;
        }
    }
    return lines;
}

void IniStore::findSections() {
    const char* const begin = bytes_->data();
    const char* const end = begin + bytes_->size();
    const char* p = begin;
    while (p < end) {
        const auto* bracket =
            static_cast<const char*>(std::memchr(p, '[', static_cast<size_t>(end - p)));
        if (!bracket)
            break;
        // A header's "[" is the first non-blank byte of its line.
        const char* lineStart = bracket;
        while (lineStart > begin && isBlank(lineStart[-1]) && !isLineBreak(lineStart[-1]))
            --lineStart;
        const bool firstOnLine = lineStart == begin || isLineBreak(lineStart[-1]);
        const char* lineEnd = lineEndFrom(bracket, end);
        const auto name = firstOnLine ? headerName(trimmed(bracket, lineEnd)) : std::nullopt;
        if (!name) {
            // No later "[" on this line can start a header either: the scan
            // goes on at the next line, so a line full of brackets costs
            // one pass, not one pass per bracket.
            p = nextLine(lineEnd, end);
            continue;
        }
        if (!sections_.empty()) {
            auto& body = sections_.back().body;
            body = std::string_view(body.data(), static_cast<size_t>(lineStart - body.data()));
        }
        const char* bodyStart = nextLine(lineEnd, end);
        Section& section = sections_.emplace_back();
        section.name = *name;
        section.body = std::string_view(bodyStart, static_cast<size_t>(end - bodyStart));
        p = bodyStart;
    }
}

const std::vector<std::string_view>& IniStore::linesOf(const Section& section) const {
    if (section.split)
        return section.lines;
    const char* p = section.body.data();
    const char* const end = p + section.body.size();
    while (p < end) {
        const char* lineEnd = lineEndFrom(p, end);
        const std::string_view line = trimmed(p, lineEnd);
        p = nextLine(lineEnd, end);
        if (!line.empty() && line.front() != ';')
            section.lines.push_back(line);
    }
    section.split = true;
    return section.lines;
}

const IniStore::Section* IniStore::findSection(std::string_view name) const {
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it)
        if (namesMatch(it->name, name))
            return &*it;
    return nullptr;
}

std::optional<std::string_view> IniStore::find(std::string_view section,
                                               std::string_view key) const {
    const Section* s = findSection(section);
    if (!s)
        return std::nullopt;
    const auto& lines = linesOf(*s);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        auto entry = entryOf(*it);
        if (entry && namesMatch(entry->key, key))
            return entry->value;
    }
    return std::nullopt;
}

std::string_view IniStore::bytes() const {
    return bytes_ ? std::string_view(*bytes_) : std::string_view();
}

size_t IniStore::lineNumberOf(std::string_view view) const {
    const std::string_view all = bytes();
    if (all.empty() || view.data() < all.data() || view.data() > all.data() + all.size())
        return 0;
    if (lineStarts_.empty()) {
        // Lines split as iniLines() splits them: CR, LF and CR LF each end one.
        const char* p = all.data();
        const char* const end = p + all.size();
        while (p < end) {
            lineStarts_.push_back(static_cast<size_t>(p - all.data()));
            p = nextLine(lineEndFrom(p, end), end);
        }
    }
    const auto offset = static_cast<size_t>(view.data() - all.data());
    const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    return static_cast<size_t>(after - lineStarts_.begin());
}

std::string_view IniStore::keep(std::string text) {
    written_.push_back(std::move(text));
    return written_.back();
}

void IniStore::write(std::string_view section, std::string_view key, std::string_view value) {
    std::string text;
    text.reserve(key.size() + 1 + value.size());
    text.append(key).append("=").append(value);
    const std::string_view line = keep(std::move(text));

    const Section* found = findSection(section);
    if (!found) {
        Section& added = sections_.emplace_back();
        added.name = keep(std::string(section));
        added.split = true;
        found = &added;
    }
    auto& lines = const_cast<std::vector<std::string_view>&>(linesOf(*found));
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        auto entry = entryOf(*it);
        if (entry && namesMatch(entry->key, key)) {
            *it = line;
            return;
        }
    }
    lines.push_back(line);
}

std::string IniStore::toBytes() const {
    std::string out;
    for (const Section& s : sections_) {
        out.append("[").append(s.name).append("]\r\n");
        for (std::string_view line : linesOf(s))
            out.append(line).append("\r\n");
        out.append("\r\n");
    }
    return out;
}

#ifdef _WIN32

void saveFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    // Written whole to a temporary file, then moved over the old one.
    const std::filesystem::path temp = path.string() + ".tmp";
    std::FILE* f = _wfopen(temp.c_str(), L"wb");
    if (!f)
        throw SaveError(fileCreateMessage(path.string(), systemReason(errno)));
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    ok = _commit(_fileno(f)) == 0 && ok;
    const int error = errno;
    ok = std::fclose(f) == 0 && ok;
    std::error_code ec;
    if (ok)
        std::filesystem::rename(temp, path, ec);
    if (!ok || ec) {
        std::filesystem::remove(temp, ec);
        throw SaveError(fileCreateMessage(path.string(), systemReason(ok ? EACCES : error)));
    }
}

#else

namespace {

// A save that could not go on, with the errno value that stopped it.
struct SaveFailed {
    int error;
};

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

// The temporary files of this program's saves of `name`: the name followed
// by ".tmp" and one to nine digits.
bool isTempNameOf(std::string_view candidate, std::string_view name) {
    if (candidate.size() <= name.size() + 4 || candidate.substr(0, name.size()) != name ||
        candidate.substr(name.size(), 4) != ".tmp")
        return false;
    const std::string_view digits = candidate.substr(name.size() + 4);
    return digits.size() <= 9 && digits.find_first_not_of("0123456789") == std::string_view::npos;
}

// Removes what saves killed midway left behind. A save holds a lock on its
// temporary file from its creation until it has been renamed, so a file
// that can be locked belongs to no running save. Only regular files of this
// user with the program's own names go.
void removeLeftoverTemps(const std::filesystem::path& dir, const std::string& name) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::filesystem::path candidate = it->path();
        if (!isTempNameOf(candidate.filename().string(), name))
            continue;
        const int fd = ::open(candidate.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(candidate.c_str()); // still locked: no save can take it meanwhile
        ::close(fd);
    }
}

// Writes the file where it is, for a folder that takes no new file: room
// for the new content first, so that a full disk fails before the old
// content is touched, then the bytes, the length, and a flush to disk.
void saveInPlace(const std::filesystem::path& target, const std::string& bytes) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        throw SaveFailed{errno};
    try {
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            throw SaveFailed{errno};
        if (!S_ISREG(st.st_mode))
            throw SaveFailed{EINVAL};
        if (static_cast<std::size_t>(st.st_size) < bytes.size()) {
            const int error = ::posix_fallocate(fd, 0, static_cast<off_t>(bytes.size()));
            if (error != 0 && error != EOPNOTSUPP && error != EINVAL)
                throw SaveFailed{error};
        }
        writeAll(fd, bytes);
        if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0)
            throw SaveFailed{errno};
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0)
        throw SaveFailed{errno};
}

// A new temporary file beside `target`, locked, or -1 with errno set.
int createTemp(const std::filesystem::path& target, std::filesystem::path& temp) {
    static std::mt19937_64 rng{std::random_device{}()};
    for (int attempt = 0; attempt < 16; ++attempt) {
        temp = target.parent_path() /
               (target.filename().string() + ".tmp" + std::to_string(rng() % 1000000000));
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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

// The atomic save: the whole content to a temporary file, flushed to disk,
// renamed over the old file while its lock is held. Returns false, with
// errno set and nothing changed, when the folder takes no temporary file or
// the rename is refused; throws SaveFailed when writing failed.
bool saveByRename(const std::filesystem::path& target, const std::string& bytes,
                  const struct stat* old) {
    std::filesystem::path temp;
    const int fd = createTemp(target, temp);
    if (fd < 0)
        return false;
    int error = 0;
    try {
        writeAll(fd, bytes);
        if (::fsync(fd) != 0)
            throw SaveFailed{errno};
        // Keep the old file's permissions.
        if (old)
            ::fchmod(fd, old->st_mode & 07777);
        if (::rename(temp.c_str(), target.c_str()) != 0)
            error = errno;
    } catch (const SaveFailed&) {
        ::unlink(temp.c_str());
        ::close(fd);
        throw;
    }
    if (error != 0)
        ::unlink(temp.c_str());
    ::close(fd);
    errno = error;
    return error == 0;
}

} // namespace

void saveFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::error_code ec;
    // Replace the file a link points to, not the link.
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(path, ec)) {
        auto resolved = std::filesystem::canonical(path, ec);
        if (!ec)
            target = resolved;
    }
    if (target.parent_path().empty())
        target = std::filesystem::path(".") / target;

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // Only a regular file is ever replaced: never a device, a FIFO or a
    // folder that the path names or links to.
    if (exists && !S_ISREG(old.st_mode))
        throw SaveError(fileCreateMessage(path.string(), kNotRegularReason));
    // A file the user made read-only is not replaced: writing it in place
    // would fail, and renaming over it must not get round that.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        throw SaveError(fileCreateMessage(path.string(), systemReason(errno)));

    try {
        if (saveByRename(target, bytes, exists ? &old : nullptr)) {
            removeLeftoverTemps(target.parent_path(), target.filename().string());
            return;
        }
        // The folder takes no new file (or refuses the rename): the file
        // itself, writable, is written in place, the only way left.
        if (!exists)
            throw SaveFailed{errno};
        saveInPlace(target, bytes);
    } catch (const SaveFailed& failed) {
        throw SaveError(fileCreateMessage(path.string(), systemReason(failed.error)));
    }
}

#endif

void IniStore::save(const std::filesystem::path& path) const {
    // A file that is there but could not be read would lose its content.
    if (!readFailure_.empty() && !fileMissing_)
        throw SaveError(fileCreateMessage(path.string(), readFailure_));
    saveFileBytes(path, toBytes());
}

} // namespace hakomaru
