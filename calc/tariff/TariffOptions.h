#pragma once
// Every single-valued entry of the tariff file: an option fee read as a whole
// number, with the fee that applies when the entry is missing or is not a
// whole number. The calculators read them from here; the tariff checker
// lists them from here too, so a new entry is added in one place.
#include "ini/IniStore.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace hakomaru {

struct TariffOption {
    std::string_view section; // UTF-8; encoded for the lookup
    std::string_view key;
    std::int32_t fallback;
};

// The entry's value, or its fallback.
std::int32_t readOption(const IniStore& tariff, const TariffOption& option);

// The remittance fee of method `method` (the section RemittanceMethodName
// gives) for the class of a cash-on-delivery amount: class 0 for an empty
// amount; a missing entry adds 0. Throws ConversionError when the amount is
// not a number.
std::int32_t readRemittanceFee(const IniStore& tariff, int method, const std::string& amountText);

// Every entry below, in the order the file usually lists them.
std::span<const TariffOption> allTariffOptions();

// The same entries by the service they belong to: ゆうパック, クロネコ,
// 冊子小包, 普通郵便.
struct TariffOptionGroup {
    std::string_view service;
    std::span<const TariffOption> options;
};
std::span<const TariffOptionGroup> tariffOptionGroups();

// Which entry a quote reads for a row of its list (weight rows for
// ゆうパック, postal weight rows for letter mail and book parcels).
const TariffOption& youpackExpressOption(int weightRow);
const TariffOption& youpackChilledOption(int weightRow);
// Letter-mail weight bands 1 to 3 pick the express and next-morning entries.
int letterMailBand(int postalRow);
// Nothing for a row without an in-city discount.
const TariffOption* letterInCityOption(int postalRow);
const TariffOption& bookExpressOption(int postalRow);

// Exactly which parcels an entry prices, from the rule that picks an entry
// for a row (the functions above), where its key alone does not say: the
// weights ("4kg超 30kg以下", "定形 50g以下・定形外 250g以下"), the size class
// ("60cm以下・2kg以下") or the amount class ("1万円超 3万円以下"). Empty for
// an entry with one fee for every parcel.
std::string tariffOptionBand(const TariffOption& option);
// The same with what it measures where that is not plain: "重量 4kg超
// 30kg以下", "代引金額 1万円以下".
std::string tariffOptionNote(const TariffOption& option);

namespace tariff {

// ゆうパック.
inline constexpr TariffOption kCarriageForward{"着払", "料金", 20};
// Express by weight row: 0, 1, then 2 and heavier.
inline constexpr std::array<TariffOption, 3> kExpress{
    {{"速達", "2kg", 310}, {"速達", "4kg", 460}, {"速達", "5kg", 570}}};
inline constexpr TariffOption kDateRequest{"配達日指定", "料金", 50};
// Chilled by weight row: 0 and 1, 2 to 4, then 5 and heavier.
inline constexpr std::array<TariffOption, 3> kChilled{
    {{"チルド", "4kg以下", 190}, {"チルド", "8kg以下", 340}, {"チルド", "20kg以下", 640}}};
inline constexpr TariffOption kYoupackCodBase{"ゆうパック代引", "基本料金", 250};

// クロネコ.
inline constexpr TariffOption kCollection{"自宅から", "料金", 100};
// By size class 0 to 5 (keys 料金1 to 料金6).
inline constexpr std::array<TariffOption, 6> kTimeService{{{"タイムサービス", "料金1", 300},
                                                           {"タイムサービス", "料金2", 300},
                                                           {"タイムサービス", "料金3", 300},
                                                           {"タイムサービス", "料金4", 300},
                                                           {"タイムサービス", "料金5", 300},
                                                           {"タイムサービス", "料金6", 300}}};
inline constexpr std::array<TariffOption, 6> kCool{{{"クール", "料金1", 210},
                                                    {"クール", "料金2", 210},
                                                    {"クール", "料金3", 210},
                                                    {"クール", "料金4", 210},
                                                    {"クール", "料金5", 210},
                                                    {"クール", "料金6", 210}}};
// By cash-on-delivery class 0 to 4.
inline constexpr std::array<TariffOption, 5> kCatCod{{{"代金引換", "料金0", 300},
                                                      {"代金引換", "料金1", 300},
                                                      {"代金引換", "料金2", 300},
                                                      {"代金引換", "料金3", 300},
                                                      {"代金引換", "料金4", 300}}};
inline constexpr TariffOption kSeveralParcels{"複数口", "料金", 100};

// Book parcels.
inline constexpr TariffOption kBookCarriageForward{"冊子小包", "着払い", 20};
// Express: rows up to 2 kg, then 2.5 and 3 kg.
inline constexpr std::array<TariffOption, 2> kBookExpress{
    {{"冊子小包", "速達1", 310}, {"冊子小包", "速達2", 460}}};
inline constexpr TariffOption kBookDateRequest{"冊子小包", "配達日指定", 50};
inline constexpr TariffOption kBookSimpleRegistered{"冊子小包", "簡易書留", 250};
inline constexpr TariffOption kBookRegistered{"冊子小包", "書留", 360};
inline constexpr TariffOption kBookCodBase{"冊子小包", "代引料金", 250};

// Letter mail.
inline constexpr TariffOption kLetterCodBase{"普通郵便", "代引料金", 250};
// In-city discount: rows 1 and 2, then rows 4 to 9 one each.
inline constexpr std::array<TariffOption, 7> kInCity{{{"市内特別", "料金1", 15},
                                                      {"市内特別", "料金2", 20},
                                                      {"市内特別", "料金3", 25},
                                                      {"市内特別", "料金4", 30},
                                                      {"市内特別", "料金5", 40},
                                                      {"市内特別", "料金6", 45},
                                                      {"市内特別", "料金7", 50}}};
// By weight band 1 to 3.
inline constexpr std::array<TariffOption, 3> kLetterExpress{
    {{"普通速達", "料金1", 270}, {"普通速達", "料金2", 370}, {"普通速達", "料金3", 630}}};
inline constexpr TariffOption kDeliveryRecord{"配達記録", "料金", 210};
inline constexpr std::array<TariffOption, 3> kMorning10{
    {{"翌朝10時", "料金1", 330}, {"翌朝10時", "料金2", 360}, {"翌朝10時", "料金3", 390}}};
inline constexpr TariffOption kSimpleRegistered{"簡易書留", "料金", 350};
inline constexpr TariffOption kRegistered{"書留", "料金", 420};
inline constexpr TariffOption kInPerson{"本人限定", "料金", 100};

} // namespace tariff
} // namespace hakomaru
