#pragma once
// The tariff's tables as grids of located fields, as a person reads them:
// the zone table, the ゆうパック fees, the クロネコ fees per sending region,
// the letter-mail and book-parcel fees, the option entries and the
// remittance fees; each field knowing its line, its byte offset and its
// width in the file, as the quotes find it.
#include "ini/IniStore.h"
#include "tools/TariffFieldName.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru {

enum class TariffFieldKind {
    Zone,   // one zone character of the zone table
    Fee,    // a fixed-width field of a fee row
    Option, // a single-valued entry: its whole value
};

// One field of the file and where it lies.
struct TariffCell {
    TariffFieldKind kind = TariffFieldKind::Fee;
    std::string section, key;  // code page 932, as the quotes look them up
    std::size_t position = 0;  // Zone, Fee: the field's first byte in the value, from 1
    std::size_t width = 0;     // Zone, Fee: the field's width in bytes
    std::size_t line = 0;      // the entry's line, from 1; 0 when the file has none
    std::size_t offset = 0;    // the field's first byte in the file (when line > 0)
    std::string text;          // the field's bytes as written; shorter past the value's end
    bool trailFirst = false;   // its first byte is the second of a character begun before it
    std::int32_t fallback = 0; // Option: the fee that applies without an entry
};

// A heading over consecutive rows or columns: a region of the prefecture
// lists, the service of option entries, the unit of fee columns.
struct TariffGroup {
    std::size_t first = 0, count = 0;
    std::string name; // UTF-8
};

// A table as a person reads it: headers in UTF-8, cells row by row.
struct TariffGrid {
    TariffTable table = TariffTable::Options;
    std::string title;
    std::string shortTitle; // among its service's tables (tariffTableShortTitle)
    std::vector<std::string> rows, columns;
    std::vector<TariffCell> cells;
    // Each row's description (option entries: what the entry prices and
    // the entry in the file); empty, or one text per row.
    std::vector<std::string> rowNotes;
    std::vector<TariffGroup> rowGroups, columnGroups;
    // Columns for the separator rows of the destination list: their fields
    // exist in the file, but they stand for no place and are shown as the
    // heading of the group below them.
    std::vector<bool> separatorColumns;
    const TariffCell& cell(std::size_t row, std::size_t column) const {
        return cells[row * columns.size() + column];
    }
    // The row of this name, if the grid has one.
    std::optional<std::size_t> rowNamed(std::string_view name) const;
};

// Where a field lies among the grids.
struct TariffAddress {
    std::size_t grid = 0, row = 0, column = 0;
};

// True when two fields hold different values: other bytes, or one is in
// its file and the other not.
bool fieldsDiffer(const TariffCell& a, const TariffCell& b);

// The grids of a file's tables, in the order the editor lists them.
std::vector<TariffGrid> tariffGrids(const IniStore& store);

} // namespace hakomaru
