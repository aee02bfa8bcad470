#include "ini/IniStore.h"

#include "system/FileRead.h"
#include "text/Trim.h"

#include <algorithm>
#include <cstring>

namespace hakomaru {
namespace {

inline std::string_view trimmed(const char* begin, const char* end) {
    return trimBlanksAndControls({begin, static_cast<size_t>(end - begin)});
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

namespace {

// Classifies a line given its trimmed text.
void classify(IniLine& line, bool inSection) {
    const std::string_view text = line.text;
    if (auto name = headerName(text)) {
        line.kind = IniLine::Kind::Section;
        line.name = *name;
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
        classify(line, inSection);
        inSection = inSection || line.kind == IniLine::Kind::Section;
        visit(line);
    }
}

IniLine iniLineAt(std::string_view bytes, size_t offset, bool inSection) {
    offset = std::min(offset, bytes.size());
    size_t begin = offset;
    while (begin > 0 && !isLineBreak(bytes[begin - 1]))
        --begin;
    size_t end = offset;
    while (end < bytes.size() && !isLineBreak(bytes[end]))
        ++end;
    IniLine line;
    line.text = trimmed(bytes.data() + begin, bytes.data() + end);
    classify(line, inSection);
    return line;
}

std::vector<IniLine> iniLines(std::string_view bytes) {
    std::vector<IniLine> lines;
    forEachIniLine(bytes, [&](const IniLine& line) { lines.push_back(line); });
    return lines;
}

bool keepsOtherLines(std::string_view bytes, size_t offset, size_t length,
                     std::string_view inserted) {
    if (offset > bytes.size() || length > bytes.size() - offset)
        return false;
    const auto plain = [](std::string_view text) {
        for (const char c : text)
            if (isLineBreak(c) || static_cast<unsigned char>(c) > 0x7F)
                return false;
        return true;
    };
    // A byte above 0x7F beside the edit may be a lead byte pairing with the
    // first byte after it, or a character the edit splits.
    const auto singleByte = [&](size_t at) {
        return at >= bytes.size() || static_cast<unsigned char>(bytes[at]) <= 0x7F;
    };
    // Between a CR and an LF, the edit would make a line or join two.
    const bool betweenCrLf = offset > 0 && offset + length < bytes.size() &&
                             bytes[offset - 1] == '\r' && bytes[offset + length] == '\n';
    return plain(bytes.substr(offset, length)) && plain(inserted) && !betweenCrLf &&
           (offset == 0 || singleByte(offset - 1)) && singleByte(offset + length);
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
        while (lineStart > p && isBlankOrControl(lineStart[-1]) && !isLineBreak(lineStart[-1]))
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
        if (iniNamesMatch(it->name, name))
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
        if (entry && iniNamesMatch(entry->key, key))
            return i - 1;
    }
    return std::nullopt;
}

std::optional<std::string_view> IniStore::find(std::string_view section,
                                               std::string_view key) const {
    const Section* s = findSection(section);
    if (!s)
        return std::nullopt;
    if (const auto line = lastEntry(*s, key)) {
        const std::string_view value = entryOf(s->lines[*line])->value;
        if (findObserver_)
            findObserver_(value);
        return value;
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
