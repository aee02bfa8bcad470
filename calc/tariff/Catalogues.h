#pragma once
// The fixed selection lists of the windows and the mappings from a row index
// to the names the calculators look up. Captions are UTF-8; every index is a
// zero-based row of its list, separator and heading rows included.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace hakomaru {

inline constexpr int kSendingRowCount = 53;
inline constexpr int kDestinationRowCount = 55;
inline constexpr int kSameCityRow = 54;

// The separator rows of the prefecture lists, in order. Each heads a group
// of places: the rows below it up to the next separator. 北海道, above the
// first separator, is a group of its own.
inline constexpr std::array<int, 7> kSeparatorRows{1, 8, 19, 27, 34, 44, 53};
inline constexpr int kPrefectureGroupCount = static_cast<int>(kSeparatorRows.size()) + 1;

// The sending list (53 rows) or the destination list (55 rows: the sending
// rows, then "━━特殊地域" and "同一市内").
std::span<const std::string_view> PrefectureRows(bool destinationList);

// True when the caption names a group rather than a place.
bool IsSeparatorRow(std::string_view caption);

// The クロネコ region of a prefecture row; empty for separator rows and for
// any index outside 0 to 54.
std::string_view CatRegionOf(int row);

// The group of a prefecture row, 0 to kPrefectureGroupCount - 1: the
// number of separator rows at or above it.
int PrefectureGroupOf(int row);

std::span<const std::string_view> WeightRows(); // 14 rows, " 2kg以下" .. "30kg以下"
std::span<const std::string_view> SizeRows();   // 8 rows, " 60cm以下" .. "170cm以下"

// The 18 rows of the postal weight list; rows 0 and 3 are headings.
std::span<const std::string_view> PostalWeightRows();

// The postal weight list's shape: the heading "定形" over the standard-size
// weights, then the heading "定形外・冊子小包" over the non-standard-size
// ones, which book parcels share except the heaviest.
inline constexpr int kPostalWeightRowCount = 18;
inline constexpr int kStandardSizeHeadingRow = 0;
inline constexpr int kFirstStandardSizeRow = 1;
inline constexpr int kLastStandardSizeRow = 2;
inline constexpr int kNonStandardHeadingRow = 3;
inline constexpr int kFirstNonStandardRow = 4;
inline constexpr int kNoBookParcelRow = 17; // 4 kg: letter mail only
constexpr bool IsPostalHeadingRow(int row) {
    return row == kStandardSizeHeadingRow || row == kNonStandardHeadingRow;
}
constexpr bool IsStandardSizeRow(int row) {
    return row >= kFirstStandardSizeRow && row <= kLastStandardSizeRow;
}
// True when a postal quote for this row would read nothing from the tariff
// (a heading, or a row book parcels do not take), so a caller need not read
// the file.
constexpr bool LetterMailReadsNothing(int row) {
    return IsPostalHeadingRow(row);
}
constexpr bool BookParcelReadsNothing(int row) {
    return row < kFirstNonStandardRow || row == kNoBookParcelRow;
}
// 市内特別 exists up to " 250g以下" (postal weight row 9).
inline constexpr int kLastInCityRow = 9;
constexpr bool inCityAvailable(int postalWeightRow) {
    return postalWeightRow <= kLastInCityRow;
}

// The クロネコ size class 0 to 5 of a weight row and a size row.
inline constexpr int kCatSizeClassCount = 6;
int CatSizeClass(int weightRow, int sizeRow);

// The name of remittance method 0 to 8 (the tariff section of its fees);
// empty for any other number.
std::string_view RemittanceMethodName(int method);

// An amount class's upper bound, in units of 10,000 yen.
struct AmountBound {
    float limit;
    bool inclusive; // "以下" rather than "未満"
};

// The remittance amount classes: class c + 1 holds the amounts up to
// kRemittanceAmountBounds[c] that no lower class holds; class 0 the
// amounts above the last bound.
inline constexpr std::array<AmountBound, 7> kRemittanceAmountBounds{
    {{1, true}, {5, true}, {10, true}, {100, true}, {101, true}, {110, true}, {200, true}}};

// The remittance fees: a table of the methods by the amount classes.
inline constexpr int kRemittanceMethodCount = 9;
inline constexpr int kRemittanceClassCount = static_cast<int>(kRemittanceAmountBounds.size()) + 1;

// The remittance amount class 0 to 7 of a cash-on-delivery amount in units
// of 10,000 yen, compared as a 32-bit float with inclusive bounds. Throws
// ConversionError when the text is not a number.
int RemittanceAmountClass(std::string_view amountText);

// The クロネコ cash-on-delivery classes, as the remittance classes; class 0
// also holds an empty amount.
inline constexpr std::array<AmountBound, 4> kCatCodBounds{
    {{1, false}, {3, false}, {10, false}, {30, true}}};

// The クロネコ cash-on-delivery class 0 to 4: 0 for an empty text, else
// compared as a 32-bit float (< 1, < 3, < 10, <= 30). Throws ConversionError
// when the text is not a number.
int CatCodClass(std::string_view amountText);

// The amounts a class holds, in the words of the amount edit ("万円"):
// "1万円超 5万円以下"; class 0 "空欄・200万円超".
std::string RemittanceAmountClassCaption(int amountClass);
std::string CatCodClassCaption(int codClass);

// The parcels a クロネコ size class 0 to 5 holds, in the captions of the
// size and weight lists: " 60cm以下・ 2kg以下" trimmed, "60cm以下・2kg以下".
std::string CatSizeClassCaption(int sizeClass);

} // namespace hakomaru
