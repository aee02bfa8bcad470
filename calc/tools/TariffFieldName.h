#pragma once
// Every field of the tariff named in the user's words: the table, the row
// and the column, as the editor's grids show them. The change lists, the
// comparison, `diff`, the conflict dialog and the checker's problems all
// name fields through here, so a field has one name wherever it is shown.
#include "tariff/TariffOptions.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace hakomaru {

// The tariff's tables, as the editor shows each in a grid.
enum class TariffTable { Zone, Youpack, Cat, Letter, Book, Options, Remittance };

// A table's title; for クロネコ, the sending region's table ("クロネコ 関東発").
std::string tariffTableTitle(TariffTable table, std::string_view catRegion = {});
// The title among the tables of its service, where a list names them under
// the service: a クロネコ table by its sending region alone ("関東発"); any
// other table by its title.
std::string tariffTableShortTitle(TariffTable table, std::string_view catRegion = {});

// What a table's rows and columns stand for ("発送地" and "届け先" in the
// zone table); empty where the headers say it themselves.
struct TariffTableAxes {
    std::string_view rows, columns;
};
TariffTableAxes tariffTableAxes(TariffTable table);
// The heading over a table's fee columns, which gives their unit.
inline constexpr std::string_view kFeeColumnsHeading = "料金（円）";
// An option entry's row in the options table: the option's name under its
// service and exactly which parcels the entry prices, both from the rule
// that picks the entry ("ゆうパック チルド 8kg超 30kg以下").
std::string tariffOptionRow(const TariffOption& option);
// What the row's description says: what the entry prices with what it
// measures, and the entry in the file ("重量 8kg超 30kg以下（[チルド] 20kg以下）").
std::string tariffOptionDescription(const TariffOption& option);

// A field, a row or a whole table by name. UTF-8.
struct TariffFieldName {
    std::string table;
    std::string row;    // empty: the whole table
    std::string column; // empty: the whole row, or an entry that is one field (an option fee)
    // The name as one text: "ゆうパック 第3地帯 4kg以下".
    std::string text() const;
    bool operator==(const TariffFieldName&) const = default;
};

// The field of the tables at byte `position` (from 1) of the entry
// `section` / `key` (code page 932, as written in the file; names match as
// the store matches them); position 0 names the row, an empty key the
// table. Nothing for an entry the tables do not hold.
std::optional<TariffFieldName> tariffFieldName(std::string_view section, std::string_view key,
                                               std::size_t position = 0);

// The table of the entries outside the tariff's tables (sections and keys
// the program does not read).
inline constexpr std::string_view kOtherEntriesTable = "その他の行";
// Such an entry by name (code page 932 in), its row "[section] key".
TariffFieldName otherEntryName(std::string_view section, std::string_view key);

} // namespace hakomaru
