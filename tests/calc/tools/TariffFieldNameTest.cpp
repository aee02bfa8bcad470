// A field has one name wherever it is shown: in its grid, in the list of
// changes and of differences, in the conflict dialog and in the checker's
// problems; entries outside the tables are listed too.
#include "tools/TariffCheck.h"
#include "tools/TariffMerge.h"

#include "ini/IniStore.h"
#include "text/Sjis.h"

#include <gtest/gtest.h>
#include <set>

namespace {

using namespace hakomaru;

const std::string kShipped = readFileBytes(HAKOMARU_SHIPPED_DATA_DIR "/Charge.ini");

TEST(TariffFieldName, OneNameInEveryList) {
    const TariffDocument opened(kShipped);
    for (size_t g = 0; g < opened.grids().size(); ++g) {
        const TariffGrid& grid = opened.grids()[g];
        const size_t c = grid.columns.size() > 2 ? 2 : 0; // the zone table's first is trimmed
        size_t r = 0;
        while (grid.cell(r, c).line == 0)
            ++r;
        const TariffCell cell = grid.cell(r, c);
        const TariffFieldName name{grid.title, grid.rows[r],
                                   grid.columns.size() == 1 ? "" : grid.columns[c]};
        SCOPED_TRACE(name.text());
        EXPECT_EQ(opened.fieldName({g, r, c}), name);

        TariffDocument mine = opened, theirs = opened;
        ASSERT_FALSE(mine.set({g, r, c}, "1"));
        ASSERT_FALSE(theirs.set({g, r, c}, "2"));
        const auto changes = diffTariffs(opened, mine);
        ASSERT_EQ(changes.size(), 1u);
        EXPECT_EQ(static_cast<const TariffFieldName&>(changes[0]), name);
        const TariffRebase rebase =
            rebaseEdits(opened, mine, theirs.bytes(), [](auto&) { return std::nullopt; });
        ASSERT_EQ(rebase.conflicts.size(), 1u);
        EXPECT_EQ(static_cast<const TariffFieldName&>(rebase.conflicts[0]), name);

        // The field made unreadable: a control character is no zone.
        std::string broken = kShipped;
        broken.replace(cell.offset, cell.text.size(),
                       cell.kind == TariffFieldKind::Zone ? "\x7F" : std::string(cell.width, 'x'));
        bool named = false;
        for (const TariffProblem& problem : checkTariff(broken))
            named = named || (problem.line == cell.line && problemPlace(problem) == name);
        EXPECT_TRUE(named);
    }
}

// An option entry's row: its option under its service, and the parcels the
// entry prices by the rule that picks it; no two rows alike.
TEST(TariffFieldName, OptionRows) {
    using namespace tariff;
    const std::pair<TariffOption, std::string> cases[] = {
        {kChilled[2], "ゆうパック チルド 8kg超 30kg以下"},
        {kExpress[1], "ゆうパック 速達 2kg超 4kg以下"},
        {kYoupackCodBase, "ゆうパック 代金引換"},
        {kCatCod[1], "クロネコ 代金引換 1万円未満"},
        {kBookExpress[0], "冊子小包 速達 定形外 2kg以下"},
        {kLetterCodBase, "普通郵便 代金引換"},
    };
    for (const auto& [option, row] : cases)
        EXPECT_EQ(tariffOptionRow(option), row);
    std::set<std::string> rows;
    for (const TariffOption& option : allTariffOptions())
        EXPECT_TRUE(rows.insert(tariffOptionRow(option)).second) << tariffOptionRow(option);
}

// Another program's change outside the tables is listed with the editor's.
TEST(TariffFieldName, ChangesOutsideTheTablesListed) {
    const TariffDocument opened(kShipped);
    TariffDocument mine = opened;
    ASSERT_FALSE(mine.set({1, 0, 0}, "1"));
    const TariffRebase rebase =
        rebaseEdits(opened, mine, kShipped + toSjis("[メモ]\r\n担当=山田\r\n"),
                    [](auto&) { return std::nullopt; });
    ASSERT_EQ(rebase.changes.size(), 2u);
    EXPECT_FALSE(rebase.changes[0].outside);
    EXPECT_TRUE(rebase.changes[1].outside);
    EXPECT_EQ(rebase.changes[1].text(), "その他の行 [メモ] 担当");
    EXPECT_EQ(rebase.changes[1].after, "山田");
}

} // namespace
