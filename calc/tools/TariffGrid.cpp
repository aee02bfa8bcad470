#include "tools/TariffGrid.h"

#include "ini/EncodedName.h"
#include "tariff/Catalogues.h"
#include "tariff/FixedWidthField.h"
#include "tariff/TariffLayout.h"
#include "tariff/TariffOptions.h"
#include "text/Sjis.h"

#include <array>
#include <utility>

namespace hakomaru {
namespace {

using namespace tariff;

// Reads fields out of the file through the store, as the quotes find them.
class Locator {
  public:
    explicit Locator(const IniStore& store) : store_(store) {}

    // A field of the entry the store finds; line 0 when there is none.
    TariffCell field(TariffFieldKind kind, std::string section, std::string key,
                     std::size_t position, std::size_t width) const {
        TariffCell cell;
        cell.kind = kind;
        cell.position = position;
        cell.width = width;
        if (const auto value = store_.find(section, key)) {
            cell.line = lineOf(*value);
            cell.offset =
                static_cast<std::size_t>(value->data() - store_.bytes().data()) + position - 1;
            cell.text = std::string(fieldAt(*value, position, width));
            cell.trailFirst = sjisCharacterAcross(*value, position - 1).has_value();
        }
        cell.section = std::move(section);
        cell.key = std::move(key);
        return cell;
    }

    TariffCell option(std::string section, std::string key, std::int32_t fallback) const {
        TariffCell cell;
        cell.kind = TariffFieldKind::Option;
        cell.fallback = fallback;
        if (const auto value = store_.find(section, key)) {
            cell.line = lineOf(*value);
            cell.offset = static_cast<std::size_t>(value->data() - store_.bytes().data());
            cell.position = 1;
            cell.width = value->size();
            cell.text = std::string(*value);
        }
        cell.section = std::move(section);
        cell.key = std::move(key);
        return cell;
    }

    const IniStore& store() const { return store_; }

  private:
    // The cells of a row are asked for one after the other, all on one line.
    std::size_t lineOf(std::string_view value) const {
        if (value.data() != lastValue_) {
            lastValue_ = value.data();
            lastLine_ = store_.lineNumberOf(value);
        }
        return lastLine_;
    }

    const IniStore& store_;
    mutable const char* lastValue_ = nullptr;
    mutable std::size_t lastLine_ = 0;
};

// The region a separator row of the prefecture lists heads ("━━東北":
// "東北"); a place's own caption for the group above the first separator.
std::string_view regionOfSeparator(std::string_view caption) {
    while (IsSeparatorRow(caption))
        caption.remove_prefix(std::string_view("━").size());
    return caption;
}

TariffGrid feeGrid(const Locator& at, TariffTable kind, std::string_view catRegion,
                   const FeeTable& table, const std::string& section,
                   const std::vector<std::string>& keys, const std::vector<std::string>& rowNames) {
    TariffGrid grid;
    grid.table = kind;
    grid.title = tariffTableTitle(kind, catRegion);
    grid.shortTitle = tariffTableShortTitle(kind, catRegion);
    grid.rows = rowNames;
    for (const FeeColumn& c : feeColumns(table))
        grid.columns.push_back(c.name);
    for (const std::string& key : keys)
        for (const FeeColumn& c : feeColumns(table))
            grid.cells.push_back(
                at.field(TariffFieldKind::Fee, section, key, c.first, table.width));
    return grid;
}

} // namespace

std::vector<TariffGrid> tariffGrids(const IniStore& store) {
    std::vector<TariffGrid> grids;
    const Locator at(store);
    auto sj = [](std::string_view utf8) { return sjisName(utf8); };

    // The zone table: a row per prefecture, a column per destination row,
    // both grouped by the regions the separator rows name.
    {
        TariffGrid grid;
        grid.table = TariffTable::Zone;
        grid.title = grid.shortTitle = tariffTableTitle(TariffTable::Zone);
        for (std::string_view to : PrefectureRows(true)) {
            if (IsSeparatorRow(to) || grid.columnGroups.empty())
                grid.columnGroups.push_back({grid.columns.size() + IsSeparatorRow(to), 0,
                                             std::string(regionOfSeparator(to))});
            grid.separatorColumns.push_back(IsSeparatorRow(to));
            grid.columns.emplace_back(to);
            grid.columnGroups.back().count = grid.columns.size() - grid.columnGroups.back().first;
        }
        for (std::string_view from : PrefectureRows(false)) {
            if (IsSeparatorRow(from) || grid.rowGroups.empty())
                grid.rowGroups.push_back(
                    {grid.rows.size(), 0, std::string(regionOfSeparator(from))});
            if (IsSeparatorRow(from))
                continue;
            grid.rows.emplace_back(from);
            grid.rowGroups.back().count = grid.rows.size() - grid.rowGroups.back().first;
            for (std::size_t pos = 1; pos <= kZoneCharacters; ++pos)
                grid.cells.push_back(
                    at.field(TariffFieldKind::Zone, sj(kZoneSection), sj(from), pos, 1));
        }
        grids.push_back(std::move(grid));
    }

    // ゆうパック fees: the zone rows the file holds, in its order, then 市内.
    {
        const std::string& section = sj(kYoupackFees.section);
        const std::string& sameCity = sj(kYoupackSameCityKey);
        std::vector<std::string> keys;
        bool inSection = false;
        const std::size_t zoneAt = sj("第").size();
        // Zone keys that differ by letter case only are one row.
        std::array<bool, 256> seen{};
        forEachIniLine(at.store().bytes(), [&](const IniLine& line) {
            if (line.kind == IniLine::Kind::Section)
                inSection = iniNamesMatch(line.name, section);
            if (inSection && line.kind == IniLine::Kind::Entry && isZoneFeeKey(line.name) &&
                !std::exchange(
                    seen[static_cast<unsigned char>(foldedSingleByte(line.name[zoneAt]))], true))
                keys.emplace_back(line.name);
        });
        keys.push_back(sameCity);
        std::vector<std::string> rowNames;
        for (const std::string& key : keys)
            rowNames.push_back(shownFromSjis(key));
        grids.push_back(
            feeGrid(at, TariffTable::Youpack, {}, kYoupackFees, section, keys, rowNames));
    }

    // クロネコ fees: a grid per sending region.
    {
        std::vector<std::string> rowNames(kCatRegions.begin(), kCatRegions.end());
        rowNames.emplace_back(kCatSameCityKey);
        std::vector<std::string> keys;
        for (const std::string& name : rowNames)
            keys.push_back(sj(name));
        for (std::string_view from : kCatRegions)
            grids.push_back(
                feeGrid(at, TariffTable::Cat, from, kCatFees, sj(from), keys, rowNames));
    }

    // Letter mail and book parcels.
    {
        std::vector<std::string> keys, rowNames;
        for (std::string_view key : kLetterFees.keys) {
            keys.push_back(sj(key));
            rowNames.emplace_back(key);
        }
        grids.push_back(feeGrid(at, TariffTable::Letter, {}, kLetterFees, sj(kLetterFees.section),
                                keys, rowNames));
    }
    {
        const std::string key(kBookFees.keys[0]);
        grids.push_back(
            feeGrid(at, TariffTable::Book, {}, kBookFees, sj(kBookFees.section), {sj(key)}, {key}));
    }

    // Every option entry, grouped by service, each saying what it prices
    // where its key does not.
    {
        TariffGrid grid;
        grid.table = TariffTable::Options;
        grid.title = grid.shortTitle = tariffTableTitle(TariffTable::Options);
        grid.columns = {"料金"};
        for (const TariffOptionGroup& group : tariffOptionGroups()) {
            grid.rowGroups.push_back(
                {grid.rows.size(), group.options.size(), std::string(group.service)});
            for (const TariffOption& option : group.options) {
                grid.rows.push_back(tariffOptionRow(option));
                grid.rowNotes.push_back(tariffOptionDescription(option));
                grid.cells.push_back(
                    at.option(sj(option.section), sj(option.key), option.fallback));
            }
        }
        grids.push_back(std::move(grid));
    }

    // The remittance fees: a row per method, a column per amount class.
    {
        TariffGrid grid;
        grid.table = TariffTable::Remittance;
        grid.title = grid.shortTitle = tariffTableTitle(TariffTable::Remittance);
        for (int c = 0; c < kRemittanceClassCount; ++c)
            grid.columns.push_back(RemittanceAmountClassCaption(c));
        for (int method = 0; method < kRemittanceMethodCount; ++method) {
            grid.rows.emplace_back(RemittanceMethodName(method));
            for (int c = 0; c < kRemittanceClassCount; ++c)
                grid.cells.push_back(
                    at.option(sj(RemittanceMethodName(method)), sj("料金" + std::to_string(c)), 0));
        }
        grids.push_back(std::move(grid));
    }

    // Every table but the zone table holds fees: its columns under the
    // heading that gives their unit.
    for (TariffGrid& grid : grids)
        if (grid.table != TariffTable::Zone)
            grid.columnGroups = {{0, grid.columns.size(), std::string(kFeeColumnsHeading)}};
    return grids;
}

bool fieldsDiffer(const TariffCell& a, const TariffCell& b) {
    return a.text != b.text || (a.line == 0) != (b.line == 0);
}

std::optional<std::size_t> TariffGrid::rowNamed(std::string_view name) const {
    const auto it = std::find(rows.begin(), rows.end(), name);
    if (it == rows.end())
        return std::nullopt;
    return static_cast<std::size_t>(it - rows.begin());
}

} // namespace hakomaru
