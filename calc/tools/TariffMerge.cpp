#include "tools/TariffMerge.h"

namespace hakomaru {

TariffRebase
rebaseEdits(const TariffDocument& opened, const TariffDocument& edited, const std::string& current,
            const std::function<std::optional<bool>(const TariffConflict&)>& keepMine) {
    TariffRebase rebase;
    const TariffDocument theirs(current);
    TariffDocument result = theirs;
    if (!result.readOnlyReason().empty()) {
        rebase.refused = result.readOnlyReason();
        return rebase;
    }
    const auto& grids = edited.grids();
    for (std::size_t g = 0; g < grids.size() && g < opened.grids().size(); ++g) {
        const TariffGrid& mine = grids[g];
        const TariffGrid& base = opened.grids()[g];
        if (mine.rows != base.rows || mine.columns != base.columns) {
            // Edits never change a table's rows; were it to happen, nothing
            // is saved rather than an edit dropped.
            rebase.refused = mine.title + ": 表の行が変わったため、変更を書き込めません";
            return rebase;
        }
        for (std::size_t r = 0; r < mine.rows.size(); ++r)
            for (std::size_t c = 0; c < mine.columns.size(); ++c) {
                const TariffCell& edit = mine.cell(r, c);
                const TariffCell& was = base.cell(r, c);
                if (!fieldsDiffer(edit, was))
                    continue;
                const TariffFieldName name = edited.fieldName({g, r, c});
                const std::string where = name.text();
                const auto row = g < result.grids().size()
                                     ? result.grids()[g].rowNamed(mine.rows[r])
                                     : std::nullopt;
                if (!row) {
                    rebase.refused = where + ": ほかのプログラムがこの行を消したため、この変更を"
                                             "書き込めません";
                    return rebase;
                }
                const TariffCell& now = result.grids()[g].cell(*row, c);
                if (!fieldsDiffer(now, edit))
                    continue; // the same value already
                if (fieldsDiffer(now, was)) {
                    const TariffConflict conflict{name, TariffDocument::listed(was),
                                                  TariffDocument::listed(edit),
                                                  TariffDocument::listed(now)};
                    const auto keep = keepMine(conflict);
                    if (!keep)
                        rebase.conflicts.push_back(conflict);
                    if (!keep || !*keep)
                        continue;
                }
                if (const auto refused = result.set({g, *row, c}, TariffDocument::shown(edit))) {
                    rebase.refused = where + ": " + *refused;
                    return rebase;
                }
            }
    }
    rebase.changes = diffTariffs(theirs, result);
    for (TariffChange& change : diffTariffs(opened, theirs)) {
        change.outside = true;
        rebase.changes.push_back(std::move(change));
    }
    rebase.bytes = result.bytes();
    return rebase;
}

} // namespace hakomaru
