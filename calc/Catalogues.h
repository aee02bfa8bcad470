#pragma once
// The fixed selection lists of the windows and the mappings from a row index
// to the names the calculators look up. Captions are UTF-8; every index is a
// zero-based row of its list, separator and heading rows included.
#include <cstdint>
#include <span>
#include <string_view>

namespace hakomaru {

inline constexpr int kSendingRowCount = 53;
inline constexpr int kDestinationRowCount = 55;
inline constexpr int kSameCityRow = 54;

// The sending list (53 rows) or the destination list (55 rows: the sending
// rows, then "━━特殊地域" and "同一市内").
std::span<const std::string_view> PrefectureRows(bool destinationList);

// True when the caption names a group rather than a place.
bool IsSeparatorRow(std::string_view caption);

// The クロネコ region of a prefecture row; empty for separator rows and for
// any index outside 0 to 54.
std::string_view CatRegionOf(int row);

std::span<const std::string_view> WeightRows(); // 14 rows, " 2kg以下" .. "30kg以下"
std::span<const std::string_view> SizeRows();   // 8 rows, " 60cm以下" .. "170cm以下"

// The 18 rows of the postal weight list; rows 0 and 3 are headings.
std::span<const std::string_view> PostalWeightRows();

// The クロネコ size class 0 to 5 of a weight row and a size row.
int CatSizeClass(int weightRow, int sizeRow);

// The name of remittance method 0 to 8 (the tariff section of its fees);
// empty for any other number.
std::string_view RemittanceMethodName(int method);

// The remittance amount class 0 to 7 of a cash-on-delivery amount in units
// of 10,000 yen, compared as a 32-bit float with inclusive bounds. Throws
// ConversionError when the text is not a number.
int RemittanceAmountClass(std::string_view amountText);

// The クロネコ cash-on-delivery class 0 to 4: 0 for an empty text, else
// compared as a 32-bit float (< 1, < 3, < 10, <= 30). Throws ConversionError
// when the text is not a number.
int CatCodClass(std::string_view amountText);

} // namespace hakomaru
