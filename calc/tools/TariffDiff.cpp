#include "tools/TariffDiff.h"

#include "ini/IniStore.h"
#include "text/Sjis.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

namespace hakomaru {
namespace {

struct Entry {
    std::string section, key, value; // code page 932, as written
};

// The entries the store finds: of a section written twice only the later
// one, of a key written twice only the later line; sections in the order of
// their last header, entries in the order of their lines. Linear in the
// file, whatever it holds.
std::vector<Entry> entriesFound(const std::string& bytes) {
    struct Section {
        std::size_t header = 0; // the ordinal of its last header
        std::string name;
        std::vector<Entry> entries;                        // empty key: a hidden line
        std::unordered_map<std::string, std::size_t> keys; // folded key -> entry
    };
    std::unordered_map<std::string, Section> sections; // by folded name
    Section* current = nullptr;
    std::size_t headers = 0;
    forEachIniLine(bytes, [&](const IniLine& line) {
        if (line.kind == IniLine::Kind::Section) {
            current = &sections[foldedIniName(line.name)];
            *current = Section{headers++, std::string(line.name), {}, {}};
        } else if (line.kind == IniLine::Kind::Entry && current) {
            auto [at, added] =
                current->keys.emplace(foldedIniName(line.name), current->entries.size());
            if (!added) {
                current->entries[at->second].key.clear();
                at->second = current->entries.size();
            }
            current->entries.push_back(
                {current->name, std::string(line.name), std::string(line.value)});
        }
    });
    std::vector<const Section*> order;
    for (const auto& [name, section] : sections)
        order.push_back(&section);
    std::sort(order.begin(), order.end(),
              [](const Section* a, const Section* b) { return a->header < b->header; });
    std::vector<Entry> entries;
    for (const Section* section : order)
        for (const Entry& e : section->entries)
            if (!e.key.empty())
                entries.push_back(e);
    return entries;
}

std::string entryName(const Entry& e) {
    return foldedIniName(e.section) + '\0' + foldedIniName(e.key);
}

} // namespace

std::vector<TariffChange> diffTariffs(const TariffDocument& before, const TariffDocument& after) {
    std::vector<TariffChange> changes;

    // The tables' fields, rows matched by name.
    const TariffCell absent;
    for (std::size_t g = 0; g < after.grids().size() && g < before.grids().size(); ++g) {
        const TariffGrid& now = after.grids()[g];
        const TariffGrid& was = before.grids()[g];
        if (now.columns != was.columns)
            continue;
        auto compare = [&](const TariffCell& a, const TariffCell& b, std::size_t column) {
            if (!fieldsDiffer(a, b))
                return;
            // The absent cell stands for a row one file lacks; the other
            // names the field.
            const TariffCell& named = &a == &absent ? b : a;
            changes.push_back({*tariffFieldName(named.section, named.key, named.position),
                               TariffDocument::listed(a), TariffDocument::listed(b), false, g,
                               column});
        };
        for (std::size_t r = 0; r < now.rows.size(); ++r) {
            const auto row = was.rowNamed(now.rows[r]);
            for (std::size_t c = 0; c < now.columns.size(); ++c)
                compare(row ? was.cell(*row, c) : absent, now.cell(r, c), c);
        }
        for (std::size_t r = 0; r < was.rows.size(); ++r)
            if (!now.rowNamed(was.rows[r]))
                for (std::size_t c = 0; c < was.columns.size(); ++c)
                    compare(was.cell(r, c), absent, c);
    }

    // The entries outside the tables, in either file.
    std::set<std::string> layout;
    for (const TariffDocument* document : {&before, &after})
        for (const TariffGrid& grid : document->grids())
            for (const TariffCell& cell : grid.cells)
                layout.insert(foldedIniName(cell.section) + '\0' + foldedIniName(cell.key));
    std::map<std::string, Entry> earlier;
    for (const Entry& e : entriesFound(before.bytes()))
        if (!layout.contains(entryName(e)))
            earlier.emplace(entryName(e), e);
    auto other = [](const Entry& e, std::string was, std::string now) {
        TariffChange change;
        static_cast<TariffFieldName&>(change) = otherEntryName(e.section, e.key);
        change.before = std::move(was);
        change.after = std::move(now);
        return change;
    };
    for (const Entry& e : entriesFound(after.bytes())) {
        if (layout.contains(entryName(e)))
            continue;
        const auto was = earlier.find(entryName(e));
        if (was == earlier.end())
            changes.push_back(other(e, std::string(kAbsentValue), shownFromSjis(e.value)));
        else if (was->second.value != e.value)
            changes.push_back(other(e, shownFromSjis(was->second.value), shownFromSjis(e.value)));
        if (was != earlier.end())
            earlier.erase(was);
    }
    for (const Entry& e : entriesFound(before.bytes()))
        if (earlier.contains(entryName(e)))
            changes.push_back(other(e, shownFromSjis(e.value), std::string(kAbsentValue)));
    return changes;
}

std::string differenceLine(const TariffChange& change) {
    return change.text() + ": " + change.before + " → " + change.after;
}

} // namespace hakomaru
