#include "IniStore.h"

#include "FileRead.h"
#include "Sjis.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
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

inline std::string_view trim(std::string_view s) {
    return trimmed(s.data(), s.data() + s.size());
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

namespace {

bool isWritable(const std::filesystem::path& path) {
#ifdef _WIN32
    return ::_waccess(path.c_str(), 2) == 0;
#else
    return ::access(path.c_str(), W_OK) == 0;
#endif
}

} // namespace

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

} // namespace

std::vector<IniLine> iniLines(const std::string& bytes) {
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
        if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
            line.kind = IniLine::Kind::Section;
            line.name = trimmed(text.data() + 1, text.data() + text.size() - 1);
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
        const std::string_view line = trimmed(bracket, lineEnd);
        if (firstOnLine && line.size() >= 2 && line.back() == ']') {
            if (!sections_.empty()) {
                auto& body = sections_.back().body;
                body = std::string_view(body.data(), static_cast<size_t>(lineStart - body.data()));
            }
            const char* bodyStart = nextLine(lineEnd, end);
            Section& section = sections_.emplace_back();
            section.name = trimmed(line.data() + 1, line.data() + line.size() - 1);
            section.body = std::string_view(bodyStart, static_cast<size_t>(end - bodyStart));
            p = bodyStart;
        } else {
            p = bracket + 1;
        }
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

void IniStore::save(const std::filesystem::path& path) const {
    const std::string failure = "ファイル " + path.string() + " を作成できません";
    std::error_code ec;
    // Replace the file a link points to, not the link.
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(path, ec)) {
        auto resolved = std::filesystem::canonical(path, ec);
        if (!ec)
            target = resolved;
    }
    std::filesystem::path dir = target.parent_path();

    // A file the user made read-only is not replaced: writing it in place
    // would fail, and renaming over it must not get round that.
    if (std::filesystem::exists(target, ec) && !isWritable(target))
        throw SaveError(failure);

    static std::mt19937_64 rng{std::random_device{}()};
    std::filesystem::path temp;
    std::FILE* f = nullptr;
    for (int attempt = 0; attempt < 16 && !f; ++attempt) {
        temp = dir / (target.filename().string() + ".tmp" + std::to_string(rng() % 1000000000));
#ifdef _WIN32
        f = _wfopen(temp.c_str(), L"wbx");
#else
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            f = ::fdopen(fd, "wb");
            if (!f) {
                ::close(fd);
                std::filesystem::remove(temp, ec);
                break;
            }
        } else if (errno != EEXIST) {
            break;
        }
#endif
    }
    if (!f)
        throw SaveError(failure);

    const std::string bytes = toBytes();
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
#ifdef _WIN32
    ok = _commit(_fileno(f)) == 0 && ok;
#else
    ok = ::fsync(fileno(f)) == 0 && ok;
#endif
    ok = std::fclose(f) == 0 && ok;
    if (ok) {
        // Keep the old file's permissions.
        auto status = std::filesystem::status(target, ec);
        if (!ec && std::filesystem::exists(status))
            std::filesystem::permissions(temp, status.permissions(), ec);
        std::filesystem::rename(temp, target, ec);
        ok = !ec;
    }
    if (!ok) {
        std::filesystem::remove(temp, ec);
        throw SaveError(failure);
    }
}

} // namespace hakomaru
