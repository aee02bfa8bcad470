#pragma once
// A document's edits made again on the file as another writer left it: the
// three-way merge of the bytes as opened, as edited and as they are now.
#include "tools/TariffDiff.h"
#include "tools/TariffEdit.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace hakomaru {

// The edits of a document made again on the file as another writer left
// it: what to save, and what to tell the user.
struct TariffRebase {
    std::string bytes;                     // the file to save, when `conflicts` is empty
    std::vector<TariffChange> changes;     // own changes, then the other writer's (outside)
    std::vector<TariffConflict> conflicts; // fields still to be decided
    std::string refused;                   // why an edit cannot be made again; empty when it can
};

// Makes the edits that turn `opened` into `edited` again on `current`, the
// file's bytes now. Edits are found and made per field (table, row name,
// column), not per byte, so lines the other writer moved do not matter. A
// field only the other writer changed keeps its value; one both changed to
// different values is put to `keepMine` (true: the edited value, false:
// the other writer's), which may leave it undecided (nothing): it is then
// listed in `conflicts`.
TariffRebase rebaseEdits(const TariffDocument& opened, const TariffDocument& edited,
                         const std::string& current,
                         const std::function<std::optional<bool>(const TariffConflict&)>& keepMine);

} // namespace hakomaru
