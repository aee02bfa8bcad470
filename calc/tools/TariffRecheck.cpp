#include "tools/TariffRecheck.h"

#include "ini/EncodedName.h"
#include "text/Sjis.h"

#include <algorithm>
#include <array>

namespace hakomaru::detail {

using Kind = TariffProblemKind;
using LineKind = IniLine::Kind;

const std::string& sj(std::string_view utf8) {
    return sjisName(utf8);
}

std::string num(size_t n) {
    return std::to_string(n);
}

// Fewer bytes where they show as escapes ("<FC>"), four characters a byte.
std::string excerpt(std::string_view sjis) {
    constexpr size_t kShown = 64;
    if (sjis.size() <= kShown)
        return shownFromSjis(sjis);
    for (size_t limit = kShown;; limit /= 2) {
        size_t cut = 0;
        for (;;) {
            const size_t step = isSjisLeadByte(static_cast<unsigned char>(sjis[cut])) ? 2 : 1;
            if (cut + step > limit)
                break;
            cut += step;
        }
        std::string shown = shownFromSjis(sjis.substr(0, cut));
        if (shown.size() <= 3 * kShown || limit < 8)
            return shown + "…";
    }
}

RecheckEngine::RecheckEngine(std::string bytes) : store_(std::move(bytes)), bytes_(store_.bytes()) {
    // Blank and comment lines have nothing to check and are not kept: a
    // damaged file may hold millions of them.
    forEachIniLine(bytes_, [this](const IniLine& line) {
        if (line.kind != LineKind::Ignored || (!line.text.empty() && line.text.front() != ';'))
            lines_.push_back(line);
    });
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind != LineKind::Section)
            continue;
        if (!spans_.empty())
            spans_.back().end = i;
        spans_.push_back({lines_[i].name, i, lines_.size()});
        spanIndex_.insert_or_assign(lines_[i].name, spans_.size() - 1);
    }
}

const std::vector<TariffProblem>& RecheckEngine::problems() {
    if (proofsShown_)
        return found_;
    std::array<bool, kGroups> clean;
    clean.fill(true);
    for (const Unit& u : units_)
        clean[static_cast<size_t>(u.group)] = clean[static_cast<size_t>(u.group)] && u.found == 0;
    for (const Group group : {Group::Youpack, Group::Cat, Group::Letter, Group::Book}) {
        if (!clean[static_cast<size_t>(group)])
            continue;
        for (size_t i = 0; i < proofs_.size(); ++i) {
            if (proofs_[i].group != group)
                continue;
            if (!proofs_[i].done)
                prove(i);
            if (proofs_[i].failure) {
                found_.push_back(*proofs_[i].failure);
                ++proofFailures_;
                break;
            }
        }
    }
    proofsShown_ = true;
    return found_;
}

bool RecheckEngine::replace(size_t offset, size_t length, std::string_view inserted) {
    if (!keepsOtherLines(bytes_, offset, length, inserted))
        return false;
    const char* const oldBase = bytes_.data();
    const auto holding = lineHolding(oldBase + offset);
    if (!holding)
        return false;
    const size_t index = *holding;
    const IniLine& edited = lines_[index];
    const size_t lineStart = static_cast<size_t>(edited.text.data() - oldBase);
    if (edited.kind != LineKind::Entry || oldBase + offset < edited.value.data() ||
        bytes_.substr(lineStart, offset - lineStart).find_first_of("\r\n") != bytes_.npos)
        return false;

    std::string bytes(bytes_);
    bytes.replace(offset, length, inserted);
    IniStore store(std::move(bytes));
    const char* const newBase = store.bytes().data();
    const IniLine line = iniLineAt(store.bytes(), lineStart, true);
    if (line.kind != LineKind::Entry || line.name != edited.name)
        return false;
    // Every other line keeps its text: its views move with the bytes.
    const size_t end = offset + length;
    const auto moved = [&](std::string_view view) {
        if (!view.data())
            return view; // a part the line has not: a header's value
        const auto at = static_cast<size_t>(view.data() - oldBase);
        return std::string_view(newBase + (at >= end ? at - length + inserted.size() : at),
                                view.size());
    };
    for (size_t i = 0; i < lines_.size(); ++i) {
        IniLine& l = lines_[i];
        if (i == index) {
            l.text = line.text, l.name = line.name, l.value = line.value;
            continue;
        }
        l.text = moved(l.text), l.name = moved(l.name), l.value = moved(l.value);
    }
    spanIndex_.clear();
    for (size_t i = 0; i < spans_.size(); ++i) {
        spans_[i].name = moved(spans_[i].name);
        spanIndex_.insert_or_assign(spans_[i].name, i);
    }
    store_ = std::move(store);
    bytes_ = store_.bytes();

    if (const auto units = unitsOfLine_.find(index); units != unitsOfLine_.end())
        for (const size_t u : std::vector<size_t>(units->second))
            rerun(u);
    if (const auto proofs = proofsOfLine_.find(index); proofs != proofsOfLine_.end())
        for (const size_t p : proofs->second)
            proofs_[p].done = false;
    return true;
}

bool RecheckEngine::unit(Group group, std::function<void()> check) {
    units_.push_back({group, std::move(check)});
    rerun(units_.size() - 1);
    return units_.back().found == 0;
}

// Runs a unit (again): its problems take the place of those it found
// before; the proofs' failures are found again when next asked for.
void RecheckEngine::rerun(size_t u) {
    found_.resize(found_.size() - proofFailures_);
    proofFailures_ = 0;
    proofsShown_ = false;
    current_ = u;
    size_t start = 0;
    for (size_t i = 0; i < u; ++i)
        start += units_[i].found;
    const size_t old = units_[u].found;
    const size_t end = found_.size();
    units_[u].found = 0;
    units_[u].check(); // appends to found_
    // The new problems go before the unit's old ones, which then go.
    const auto first = found_.begin() + static_cast<std::ptrdiff_t>(start);
    std::rotate(first, found_.begin() + static_cast<std::ptrdiff_t>(end), found_.end());
    const auto stale = first + static_cast<std::ptrdiff_t>(units_[u].found);
    found_.erase(stale, stale + static_cast<std::ptrdiff_t>(old));
}

void RecheckEngine::depend(size_t index) const {
    auto& units = unitsOfLine_[index];
    if (std::find(units.begin(), units.end(), current_) == units.end())
        units.push_back(current_);
}

// The kept line whose text holds `at`, a view into the bytes: the last
// one that starts at or before it.
std::optional<size_t> RecheckEngine::lineHolding(const char* at) const {
    const auto after =
        std::upper_bound(lines_.begin(), lines_.end(), at,
                         [](const char* a, const IniLine& line) { return a < line.text.data(); });
    if (after == lines_.begin())
        return std::nullopt;
    return static_cast<size_t>(after - lines_.begin()) - 1;
}

void RecheckEngine::addProof(Group group, std::function<void()> quotes) {
    proofs_.push_back({group, std::move(quotes)});
}

// Runs a proof, noting which lines its quotes read.
void RecheckEngine::prove(size_t p) {
    proving_ = p;
    proofs_[p].failure.reset();
    store_.observeFinds([this](std::string_view value) {
        if (const auto index = lineHolding(value.data())) {
            auto& proofs = proofsOfLine_[*index];
            if (std::find(proofs.begin(), proofs.end(), proving_) == proofs.end())
                proofs.push_back(proving_);
        }
    });
    proofs_[p].quotes();
    store_.observeFinds({});
    proofs_[p].done = true;
}

void RecheckEngine::add(Kind kind, size_t line, std::string_view section, std::string_view key,
                        std::string message, size_t position) {
    // Problems come section by section: its name is converted once.
    if (section != shownSection_.first)
        shownSection_ = {std::string(section), excerpt(section)};
    ++units_[current_].found;
    found_.push_back(
        {kind, line, shownSection_.second, excerpt(key), std::move(message), position});
}

const SectionSpan* RecheckEngine::findSpan(std::string_view name) const {
    const auto it = spanIndex_.find(name);
    return it == spanIndex_.end() ? nullptr : &spans_[it->second];
}

std::optional<size_t> RecheckEngine::readEntry(std::string_view section,
                                               std::string_view key) const {
    const auto value = store_.find(section, key);
    if (!value)
        return std::nullopt;
    const auto index = lineHolding(value->data());
    if (index) // always: the store holds no written lines
        depend(*index);
    return index;
}

IniNameIndex RecheckEngine::lastEntries(const SectionSpan& span) const {
    IniNameIndex last;
    for (size_t i = span.header + 1; i < span.end; ++i)
        if (lines_[i].kind == LineKind::Entry)
            last.insert_or_assign(lines_[i].name, i);
    return last;
}

std::vector<size_t> RecheckEngine::effectiveEntries(const SectionSpan& span) const {
    std::vector<size_t> entries;
    for (size_t i = span.header + 1; i < span.end; ++i)
        if (lines_[i].kind == LineKind::Entry && readEntry(span.name, lines_[i].name) == i)
            entries.push_back(i);
    return entries;
}

const SectionSpan* RecheckEngine::spanAt(size_t index) const {
    const auto after =
        std::upper_bound(spans_.begin(), spans_.end(), index,
                         [](size_t i, const SectionSpan& span) { return i < span.header; });
    return after == spans_.begin() ? nullptr : &*(after - 1);
}

const SectionSpan& RecheckEngine::spanOfLine(size_t index) const {
    return *spanAt(index); // only lines inside a section are asked for
}

std::string_view RecheckEngine::sectionOfLine(size_t index) const {
    const SectionSpan* span = spanAt(index);
    return span ? span->name : std::string_view();
}

} // namespace hakomaru::detail
