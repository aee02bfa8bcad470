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

// Finds the ends of lines, for positions that only move forward. The next CR
// and the next LF are each searched for once and remembered until passed, so
// a whole file costs one scan for each whatever it holds. (Searching from
// every line for the next LF, in a file of CRs alone, cost time quadratic in
// its length.)
class LineEnds {
  public:
    LineEnds(const char* begin, const char* end) : end_(end), cr_(begin), lf_(begin) {}

    // The end of the line that holds `p`: the next CR or LF at or after it,
    // or the end. `p` is never before the previous call's.
    const char* from(const char* p) {
        if (p < end_ && isLineBreak(*p))
            return p; // an empty line: nothing to search
        if (cr_ < p || (cr_ < end_ && *cr_ != '\r'))
            cr_ = next(p, '\r');
        if (lf_ < p || (lf_ < end_ && *lf_ != '\n'))
            lf_ = next(p, '\n');
        return std::min(cr_, lf_);
    }

  private:
    const char* next(const char* p, char c) const {
        const auto* found =
            static_cast<const char*>(std::memchr(p, c, static_cast<size_t>(end_ - p)));
        return found ? found : end_;
    }

    const char* end_;
    const char* cr_; // the next CR found, or end_; not yet searched while it is no CR
    const char* lf_;
};

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

// A scan from the end is cheap for the few look-ups a quote makes; past this
// many, an index pays for itself.
constexpr unsigned kScansBeforeIndex = 16;

} // namespace

void forEachIniLine(std::string_view bytes, const std::function<void(const IniLine&)>& visit) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    LineEnds ends(p, end);
    bool inSection = false;
    IniLine line;
    for (size_t number = 1; p < end; ++number) {
        const char* lineEnd = ends.from(p);
        line = IniLine{};
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
        visit(line);
    }
}

std::vector<IniLine> iniLines(std::string_view bytes) {
    std::vector<IniLine> lines;
    forEachIniLine(bytes, [&](const IniLine& line) { lines.push_back(line); });
    return lines;
}

size_t IniNameHash::operator()(std::string_view name) const noexcept {
    // FNV-1a over the bytes as namesMatch() compares them: ASCII letters in
    // upper case, the trail byte of a double-byte character as it is.
    size_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < name.size(); ++i) {
        auto c = static_cast<unsigned char>(name[i]);
        const bool lead = isSjisLeadByte(c);
        hash = (hash ^ upperAscii(c)) * 1099511628211ull;
        if (lead && i + 1 < name.size())
            hash = (hash ^ static_cast<unsigned char>(name[++i])) * 1099511628211ull;
    }
    return hash;
}

bool IniNameEqual::operator()(std::string_view a, std::string_view b) const noexcept {
    return IniStore::namesMatch(a, b);
}

void IniStore::findSections() {
    const char* const end = bytes_->data() + bytes_->size();
    LineEnds ends(bytes_->data(), end);
    // `p` is always the start of a line; each turn takes the line holding
    // the next "[" and goes on after it, so every byte is looked at a
    // bounded number of times, however many "[" a line holds.
    const char* p = bytes_->data();
    while (p < end) {
        const auto* bracket =
            static_cast<const char*>(std::memchr(p, '[', static_cast<size_t>(end - p)));
        if (!bracket)
            break;
        // A header's "[" is the first non-blank byte of its line.
        const char* lineStart = bracket;
        while (lineStart > p && isBlank(lineStart[-1]) && !isLineBreak(lineStart[-1]))
            --lineStart;
        const bool firstOnLine = lineStart == p || isLineBreak(lineStart[-1]);
        const char* lineEnd = ends.from(bracket);
        if (const auto name = firstOnLine ? headerName(trimmed(bracket, lineEnd)) : std::nullopt) {
            if (!sections_.empty()) {
                auto& body = sections_.back().body;
                body = std::string_view(body.data(), static_cast<size_t>(lineStart - body.data()));
            }
            const char* bodyStart = nextLine(lineEnd, end);
            Section& section = sections_.emplace_back();
            section.name = *name;
            section.body = std::string_view(bodyStart, static_cast<size_t>(end - bodyStart));
        }
        p = nextLine(lineEnd, end);
    }
}

const std::vector<std::string_view>& IniStore::linesOf(const Section& section) const {
    if (section.split)
        return section.lines;
    const char* p = section.body.data();
    const char* const end = p + section.body.size();
    LineEnds ends(p, end);
    while (p < end) {
        const char* lineEnd = ends.from(p);
        const std::string_view line = trimmed(p, lineEnd);
        p = nextLine(lineEnd, end);
        if (!line.empty() && line.front() != ';')
            section.lines.push_back(line);
    }
    section.split = true;
    return section.lines;
}

const IniStore::Section* IniStore::findSection(std::string_view name) const {
    if (!sectionsIndexed_ && ++sectionLookups_ > kScansBeforeIndex) {
        for (size_t i = 0; i < sections_.size(); ++i)
            sectionIndex_.insert_or_assign(sections_[i].name, i);
        sectionsIndexed_ = true;
    }
    if (sectionsIndexed_) {
        const auto it = sectionIndex_.find(name);
        return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
    }
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it)
        if (namesMatch(it->name, name))
            return &*it;
    return nullptr;
}

std::optional<size_t> IniStore::lastEntry(const Section& section, std::string_view key) const {
    const auto& lines = linesOf(section);
    if (!section.indexed && ++section.lookups > kScansBeforeIndex) {
        for (size_t i = 0; i < lines.size(); ++i)
            if (const auto entry = entryOf(lines[i]))
                section.keys.insert_or_assign(entry->key, i);
        section.indexed = true;
    }
    if (section.indexed) {
        const auto it = section.keys.find(key);
        return it == section.keys.end() ? std::nullopt : std::optional<size_t>(it->second);
    }
    for (size_t i = lines.size(); i > 0; --i) {
        const auto entry = entryOf(lines[i - 1]);
        if (entry && namesMatch(entry->key, key))
            return i - 1;
    }
    return std::nullopt;
}

std::optional<std::string_view> IniStore::find(std::string_view section,
                                               std::string_view key) const {
    const Section* s = findSection(section);
    if (!s)
        return std::nullopt;
    if (const auto line = lastEntry(*s, key))
        return entryOf(s->lines[*line])->value;
    return std::nullopt;
}

std::string_view IniStore::bytes() const {
    return bytes_ ? std::string_view(*bytes_) : std::string_view();
}

size_t IniStore::lineNumberOf(std::string_view view) const {
    const std::string_view all = bytes();
    if (all.empty() || view.data() < all.data() || view.data() > all.data() + all.size())
        return 0;
    // Lines split as iniLines() splits them: CR, LF and CR LF each end one,
    // so a line starts at 0 and after every LF, and after every CR that no
    // LF follows, unless the file ends there.
    const auto startsLine = [&](size_t at) {
        return at == 0 || (at < all.size() &&
                           (all[at - 1] == '\n' || (all[at - 1] == '\r' && all[at] != '\n')));
    };
    if (linesBeforeBlock_.empty()) {
        size_t lines = 0;
        for (size_t at = 0; at < all.size(); ++at) {
            if (at % kLineBlock == 0)
                linesBeforeBlock_.push_back(lines);
            lines += startsLine(at);
        }
        linesBeforeBlock_.push_back(lines);
    }
    // The lines that start at or before the view's first byte.
    const auto offset = static_cast<size_t>(view.data() - all.data());
    const size_t block = offset / kLineBlock;
    size_t lines = linesBeforeBlock_[block];
    for (size_t at = block * kLineBlock; at <= offset; ++at)
        lines += startsLine(at);
    return lines;
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
    const std::string_view lineKey = entryOf(line)->key; // as a scan would see it

    const Section* found = findSection(section);
    if (!found) {
        Section& added = sections_.emplace_back();
        added.name = keep(std::string(section));
        added.split = true;
        if (sectionsIndexed_)
            sectionIndex_.insert_or_assign(added.name, sections_.size() - 1);
        found = &added;
    }
    auto& lines = const_cast<std::vector<std::string_view>&>(linesOf(*found));
    if (const auto at = lastEntry(*found, key)) {
        lines[*at] = line;
        if (found->indexed) {
            found->keys.erase(key);
            found->keys.emplace(lineKey, *at);
        }
        return;
    }
    lines.push_back(line);
    if (found->indexed)
        found->keys.emplace(lineKey, lines.size() - 1);
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
