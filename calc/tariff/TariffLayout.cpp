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

std::size_t feeRowLength(const FeeTable& table) {
    std::size_t last = 0;
    for (std::size_t first : table.positions)
        if (first > 0 && first + table.width - 1 > last)
            last = first + table.width - 1;
    return last;
}

namespace tariff {

std::string postalWeightRowName(std::size_t row) {
    const std::string_view caption = PostalWeightRows()[row];
    return std::string(static_cast<int>(row) < kNonStandardHeadingRow ? "定形 " : "定形外 ") +
           std::string(trimLeadingSpaces(caption));
}

std::string zoneFeeKey(std::string_view zone) {
    return sjisName("第") + std::string(zone) + sjisName("地帯");
}

} // namespace tariff
} // namespace hakomaru
