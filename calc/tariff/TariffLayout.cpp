#include "tariff/TariffLayout.h"

#include "ini/EncodedName.h"
#include "tariff/Catalogues.h"
#include "tariff/FixedWidthField.h"
#include "text/Trim.h"

#include <algorithm>

namespace hakomaru {

std::int32_t feeOfRow(const FeeTable& table, std::string_view value, long long row) {
    const std::size_t first =
        row >= 0 && static_cast<unsigned long long>(row) < table.positions.size()
            ? table.positions[static_cast<std::size_t>(row)]
            : 0;
    return fieldNumber(value, first, table.width);
}

const std::vector<FeeColumn>& feeColumns(const FeeTable& table) {
    static const auto columnsOfEvery = [] {
        std::array<std::vector<FeeColumn>, tariff::kFeeTables.size()> all;
        for (std::size_t t = 0; t < all.size(); ++t) {
            const FeeTable& fees = *tariff::kFeeTables[t];
            for (std::size_t row = 0; row < fees.positions.size(); ++row) {
                const std::size_t first = fees.positions[row];
                if (first == 0)
                    continue;
                if (!all[t].empty() && all[t].back().first == first)
                    all[t].back().name = fees.rowName(row);
                else
                    all[t].push_back({first, fees.rowName(row)});
            }
        }
        return all;
    }();
    const auto* const* found =
        std::find(tariff::kFeeTables.begin(), tariff::kFeeTables.end(), &table);
    return columnsOfEvery[static_cast<std::size_t>(found - tariff::kFeeTables.begin())];
}

std::size_t feeRowLength(const FeeTable& table) {
    std::size_t last = 0;
    for (std::size_t first : table.positions)
        if (first > 0 && first + table.width - 1 > last)
            last = first + table.width - 1;
    return last;
}

namespace tariff {

std::string weightRowName(std::size_t row) {
    return std::string(trimLeadingSpaces(WeightRows()[row]));
}

std::string sizeClassName(std::size_t sizeClass) {
    return std::string(trimLeadingSpaces(SizeRows()[sizeClass]));
}

std::string bookWeightRowName(std::size_t row) {
    return std::string(trimLeadingSpaces(PostalWeightRows()[row]));
}

std::string postalWeightRowName(std::size_t row) {
    const std::string_view caption = PostalWeightRows()[row];
    return std::string(static_cast<int>(row) < kNonStandardHeadingRow ? "定形 " : "定形外 ") +
           std::string(trimLeadingSpaces(caption));
}

std::string zoneFeeKey(std::string_view zone) {
    return sjisName("第") + std::string(zone) + sjisName("地帯");
}

bool isZoneFeeKey(std::string_view key) {
    const std::string& head = sjisName("第");
    const std::string& tail = sjisName("地帯");
    return key.size() == head.size() + 1 + tail.size() && key.starts_with(head) &&
           key.ends_with(tail) && isZoneCharacter(key[head.size()]);
}

} // namespace tariff
} // namespace hakomaru
