#pragma once
// The layout of the tariff file's fee tables: the section and keys of every
// table, the width of its fixed-width fields and where each row's field
// begins, the クロネコ region names and the ゆうパック zone characters. The
// quotes read their base fees through it and the tariff checker checks a
// file against it, so a change of layout is made here once.
#include "tariff/Catalogues.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru {

// A table of fixed-width fee fields: one value holds the fee of every row
// of a selection list. Row r's field begins at positions[r] (counted in bytes
// from 1 at the first byte of the trimmed value) and is `width` bytes long;
// 0 marks a row the table holds no fee for. Rows may share one field.
struct FeeTable {
    std::string_view section;               // UTF-8; empty: one section per クロネコ region
    std::span<const std::string_view> keys; // UTF-8; empty where the keys are zone or region names
    std::size_t width;
    std::span<const std::size_t> positions; // by row
    std::string (*rowName)(std::size_t row); // a row as the lists show it, UTF-8
};

// One field of a fee table's values as a column: where it begins and the
// name of the row it prices; a field that rows share is named by the last
// of them (the book parcels' first field by " 150g以下").
struct FeeColumn {
    std::size_t first;
    std::string name; // UTF-8
};
// The columns of one of the tariff's tables (tariff::kFeeTables), in the
// order of their fields.
const std::vector<FeeColumn>& feeColumns(const FeeTable& table);

// The fee of `row` in a value of `table`, converted strictly. A row outside
// the table, or one it holds no fee for, reads an empty field. Throws
// ConversionError "'%s' は整数ではありません" with the field's text.
std::int32_t feeOfRow(const FeeTable& table, std::string_view value, long long row);

// The last byte position a value of `table` must reach.
std::size_t feeRowLength(const FeeTable& table);

namespace tariff {

// Rows as the fee tables name them: the lists' captions without their
// padding; a postal weight row under its heading, "定形 25g以下" or
// "定形外 50g以下", where the table holds rows of both.
std::string weightRowName(std::size_t row);
std::string sizeClassName(std::size_t sizeClass);
std::string postalWeightRowName(std::size_t row);
std::string bookWeightRowName(std::size_t row);

namespace detail {

template <std::size_t N, typename Position> constexpr auto positions(Position position) {
    std::array<std::size_t, N> p{};
    for (std::size_t row = 0; row < N; ++row)
        p[row] = position(row);
    return p;
}

inline constexpr auto kYoupackPositions =
    positions<14>([](std::size_t weightRow) { return 4 * (weightRow + 1); });
inline constexpr auto kCatPositions =
    positions<6>([](std::size_t sizeClass) { return 4 * (sizeClass + 1); });
// The postal weight list's headings have no fee.
inline constexpr auto kLetterPositions =
    positions<kPostalWeightRowCount>([](std::size_t row) -> std::size_t {
        return IsPostalHeadingRow(static_cast<int>(row)) ? 0 : 4 * (row + 1);
    });
// Book parcels have fees for the non-standard-size rows but the heaviest;
// rows 4 to 7 (up to 150 g) share the first field.
inline constexpr auto kBookPositions =
    positions<kPostalWeightRowCount>([](std::size_t row) -> std::size_t {
        const int r = static_cast<int>(row);
        return r < kFirstNonStandardRow || r == kNoBookParcelRow ? 0 : row <= 7 ? 1 : 3 * row - 20;
    });

inline constexpr std::array<std::string_view, 2> kLetterKeys{"料金", "翌朝10時"};
inline constexpr std::array<std::string_view, 1> kBookKeys{"料金"};

} // namespace detail

// The zone table: one key per prefecture (its caption in the sending list),
// one zone character per destination row, row r at position r + 1.
inline constexpr std::string_view kZoneSection = "地帯区分";
inline constexpr std::size_t kZoneCharacters = kDestinationRowCount;

// A zone is one single-byte character of code page 932 that a person can
// read: "!" to "~", or a half-width katakana (0xA1 to 0xDF). Its fee row is
// keyed "第" + character + "地帯". A lead byte would pair with "地帯" into
// other text, a blank or a control character names a zone nobody can see
// ("第 地帯"), and the other bytes are no characters. The quotes read a
// byte that is no zone as no zone at all, the checker reports it, and the
// edit core and the editor do not take it.
constexpr bool isZoneCharacter(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b > 0x20 && b < 0x7F) || (b >= 0xA1 && b <= 0xDF);
}
// The zone of destination row `row` in a zone row: its character, or
// nothing where the row ends before it or holds a byte that is no zone.
constexpr std::string_view zoneOf(std::string_view zoneRow, std::size_t row) {
    const std::string_view zone = zoneRow.substr(std::min(row, zoneRow.size()), 1);
    return zone.empty() || isZoneCharacter(zone[0]) ? zone : std::string_view{};
}
// The key of a zone's fee row, in code page 932. `zone` may be empty (a
// zone row too short for the destination): the key is then "第地帯".
std::string zoneFeeKey(std::string_view zone);
// True for a key (code page 932) that names a zone's fee row: "第", one
// zone character, "地帯".
bool isZoneFeeKey(std::string_view key);

// ゆうパック fees by weight row 0 to 13: one row per zone key, and "市内"
// for the same city.
inline constexpr FeeTable kYoupackFees{
    "ゆうパック", {}, 4, detail::kYoupackPositions, weightRowName};
inline constexpr std::string_view kYoupackSameCityKey = "市内";

// クロネコ fees by size class 0 to 5: a section per sending region, a key
// per destination region or "同一市内". The stored fee includes collection;
// handing the parcel in at a shop costs this much less.
inline constexpr FeeTable kCatFees{{}, {}, 4, detail::kCatPositions, sizeClassName};
inline constexpr std::array<std::string_view, 12> kCatRegions{"北海道", "北東北", "南東北", "関東",
                                                              "信越",   "北陸",   "中部",   "近畿",
                                                              "中国",   "四国",   "九州",   "沖縄"};
inline constexpr std::string_view kCatSameCityKey = "同一市内";
inline constexpr std::int32_t kCatShopDiscount = 100;

// Letter mail by postal weight row; "翌朝10時" holds the fees when
// next-morning delivery is chosen.
inline constexpr FeeTable kLetterFees{"普通郵便", detail::kLetterKeys, 4, detail::kLetterPositions,
                                      postalWeightRowName};
// Book parcels by postal weight row.
inline constexpr FeeTable kBookFees{"冊子小包", detail::kBookKeys, 3, detail::kBookPositions,
                                    bookWeightRowName};

// Every table, in the order the file lists them.
inline constexpr std::array<const FeeTable*, 4> kFeeTables{&kYoupackFees, &kCatFees, &kLetterFees,
                                                           &kBookFees};

// No single fee of a real tariff comes near this; the checker takes a
// larger one for a typing error.
inline constexpr std::int32_t kLargestPlausibleFee = 99'999;

} // namespace tariff
} // namespace hakomaru
