#include "tools/TariffFieldName.h"

#include "ini/EncodedName.h"
#include "ini/IniName.h"
#include "selection/OptionTable.h"
#include "tariff/Catalogues.h"
#include "tariff/TariffLayout.h"
#include "text/Sjis.h"

#include <algorithm>

namespace hakomaru {
namespace {

using namespace tariff;

bool is(std::string_view sjis, std::string_view utf8) {
    return iniNamesMatch(sjis, sjisName(utf8));
}

// The column of a fee table that holds byte `position`; empty for 0.
std::string feeColumnAt(const FeeTable& table, std::size_t position) {
    for (const FeeColumn& column : feeColumns(table))
        if (position >= column.first && position < column.first + table.width)
            return column.name;
    return {};
}

} // namespace

std::string tariffTableTitle(TariffTable table, std::string_view catRegion) {
    switch (table) {
    case TariffTable::Zone:
        return std::string(kZoneSection);
    case TariffTable::Youpack:
        return std::string(kYoupackFees.section);
    case TariffTable::Cat:
        return "クロネコ " + tariffTableShortTitle(table, catRegion);
    case TariffTable::Letter:
        return std::string(kLetterFees.section);
    case TariffTable::Book:
        return std::string(kBookFees.section);
    case TariffTable::Options:
        return "オプション";
    case TariffTable::Remittance:
        return "送金手数料";
    }
    return {};
}

std::string tariffTableShortTitle(TariffTable table, std::string_view catRegion) {
    return table == TariffTable::Cat ? std::string(catRegion) + "発"
                                     : tariffTableTitle(table, catRegion);
}

TariffTableAxes tariffTableAxes(TariffTable table) {
    switch (table) {
    case TariffTable::Zone:
        return {"発送地", "届け先"};
    case TariffTable::Youpack:
        return {"地帯", "重さ"};
    case TariffTable::Cat:
        return {"届け先", "サイズ"};
    case TariffTable::Letter:
        return {"区分", "重さ"};
    case TariffTable::Book:
        return {"", "重さ"};
    case TariffTable::Options:
        return {"オプション", ""};
    case TariffTable::Remittance:
        return {"送金方法", "送金する金額"};
    }
    return {};
}

std::string tariffOptionRow(const TariffOption& option) {
    const auto same = [&](const TariffOption& e) {
        return e.section == option.section && e.key == option.key;
    };
    std::string_view service;
    for (const TariffOptionGroup& group : tariffOptionGroups())
        if (std::any_of(group.options.begin(), group.options.end(), same))
            service = group.service;
    // The option's own name, under its service where the name does not say it.
    const auto reading = optionReading(option);
    std::string name = reading ? std::string(reading->name)
                               : std::string(option.section) + " " + std::string(option.key);
    if (!name.starts_with(service))
        name = std::string(service) + " " + name;
    const std::string band = tariffOptionBand(option);
    return band.empty() ? name : name + " " + band;
}

std::string tariffOptionDescription(const TariffOption& option) {
    const std::string entry = "[" + std::string(option.section) + "] " + std::string(option.key);
    const std::string note = tariffOptionNote(option);
    return note.empty() ? entry : note + "（" + entry + "）";
}

std::string TariffFieldName::text() const {
    std::string text = table;
    for (const std::string* part : {&row, &column})
        if (!part->empty())
            text += " " + *part;
    return text;
}

std::optional<TariffFieldName> tariffFieldName(std::string_view section, std::string_view key,
                                               std::size_t position) {
    // A fee table's row, or the table where no key is given.
    const auto feeRow = [&](TariffTable table, const FeeTable& fees, std::string_view region,
                            std::string row) {
        if (key.empty())
            return TariffFieldName{tariffTableTitle(table, region), {}, {}};
        return TariffFieldName{tariffTableTitle(table, region), std::move(row),
                               feeColumnAt(fees, position)};
    };
    if (is(section, kZoneSection)) {
        if (key.empty())
            return TariffFieldName{tariffTableTitle(TariffTable::Zone), {}, {}};
        for (std::string_view from : PrefectureRows(false))
            if (!IsSeparatorRow(from) && is(key, from)) {
                const auto to = PrefectureRows(true);
                return TariffFieldName{tariffTableTitle(TariffTable::Zone), std::string(from),
                                       position >= 1 && position <= to.size()
                                           ? std::string(to[position - 1])
                                           : std::string()};
            }
        return std::nullopt;
    }
    if (is(section, kYoupackFees.section)) {
        if (key.empty() || isZoneFeeKey(key) || is(key, kYoupackSameCityKey))
            return feeRow(TariffTable::Youpack, kYoupackFees, {}, shownFromSjis(key));
        return std::nullopt;
    }
    for (std::string_view from : kCatRegions) {
        if (!is(section, from))
            continue;
        if (key.empty())
            return feeRow(TariffTable::Cat, kCatFees, from, {});
        for (std::string_view to : kCatRegions)
            if (is(key, to))
                return feeRow(TariffTable::Cat, kCatFees, from, std::string(to));
        if (is(key, kCatSameCityKey))
            return feeRow(TariffTable::Cat, kCatFees, from, std::string(kCatSameCityKey));
        return std::nullopt;
    }
    for (const auto& [table, fees] :
         {std::pair(TariffTable::Letter, &kLetterFees), std::pair(TariffTable::Book, &kBookFees)}) {
        if (!is(section, fees->section))
            continue;
        if (key.empty())
            return feeRow(table, *fees, {}, {});
        for (std::string_view row : fees->keys)
            if (is(key, row))
                return feeRow(table, *fees, {}, std::string(row));
        // The book parcels' section holds option entries too.
    }
    for (const TariffOption& option : allTariffOptions())
        if (is(section, option.section) && is(key, option.key))
            return TariffFieldName{
                tariffTableTitle(TariffTable::Options), tariffOptionRow(option), {}};
    for (int method = 0; method < kRemittanceMethodCount; ++method) {
        if (!is(section, RemittanceMethodName(method)))
            continue;
        for (int c = 0; c < kRemittanceClassCount; ++c)
            if (is(key, "料金" + std::to_string(c)))
                return TariffFieldName{tariffTableTitle(TariffTable::Remittance),
                                       std::string(RemittanceMethodName(method)),
                                       RemittanceAmountClassCaption(c)};
        if (key.empty())
            return TariffFieldName{tariffTableTitle(TariffTable::Remittance),
                                   std::string(RemittanceMethodName(method)),
                                   {}};
    }
    return std::nullopt;
}

TariffFieldName otherEntryName(std::string_view section, std::string_view key) {
    return {std::string(kOtherEntriesTable),
            "[" + shownFromSjis(section) + "] " + shownFromSjis(key),
            {}};
}

} // namespace hakomaru
