#include "IniStore.h"

#include "FileRead.h"
#include "Sjis.h"

#include <algorithm>
#include <cstring>

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
        if (name) {
            if (!sections_.empty()) {
                auto& body = sections_.back().body;
                body = std::string_view(body.data(), static_cast<size_t>(lineStart - body.data()));
            }
            const char* bodyStart = nextLine(lineEnd, end);
            Section& section = sections_.emplace_back();
            section.name = *name;
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

void IniStore::save(const std::filesystem::path& path) const {
    // A file that is there but could not be read would lose its content.
    if (!readFailure_.empty() && !fileMissing_)
        throw SaveError(fileCreateMessage(path.string(), readFailure_));
    saveFileBytes(path, toBytes());
}

void IniStore::update(const std::filesystem::path& path,
                      const std::function<void(IniStore&)>& write) {
    editFile(path, [&](const FileBytes& current) {
        if (!current.ok() && !current.missing)
            throw SaveError(fileCreateMessage(path.string(), current.reason));
        IniStore store(current.bytes);
        write(store);
        return std::optional<std::string>(store.toBytes());
    });
}

} // namespace hakomaru
