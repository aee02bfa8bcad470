#pragma once
// Two tariff files compared field by field: every fee, zone and option the
// layout names, by table, row and column, and every other entry by section
// and key, as the store reads them (a hidden section or an earlier copy of
// a key does not count; comments and blank lines are not compared).
// `hakomaru-quote diff` prints it; the editor's comparison window lists it
// and takes a chosen difference into the open tariff.
#include "tools/TariffEdit.h"

#include <string>
#include <vector>

namespace hakomaru {

// Every field whose value differs, `before` first: the tables' fields in
// grid order (rows matched by name, so a row one file lacks counts as
// changed), then the entries outside the tables (kOtherEntriesTable) in
// the order `after` lists them, then those only `before` has. A value a
// file lacks is kAbsentValue. The list of changes before a save, `set`'s
// report, 比較 and `diff` are this list.
std::vector<TariffChange> diffTariffs(const TariffDocument& before, const TariffDocument& after);

// One difference as a line: "ゆうパック 第4地帯 2kg以下: 940 → 1000".
std::string differenceLine(const TariffChange& change);

} // namespace hakomaru
