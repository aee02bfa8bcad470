#pragma once
// The rules that decide which options a parcel or a postal item may have:
// the cash-on-delivery amount bands, クール by weight and size row, the
// options that exclude each other, 市内特別 by weight row, and how N parcels
// of each carrier compare. The windows' selection models (ParcelSelection,
// PostalSelection) apply them in their order; every front end drives those.
#include "quote/QuoteCat.h"
#include "selection/OptionTable.h"
#include "tariff/Catalogues.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru {

// Cash-on-delivery amounts, in units of 10,000 yen (万円). Each limit
// belongs to the band below it: 5 itself does not need 書留.
inline constexpr float kRegisteredAbove = 5;     // above: 書留 is checked
inline constexpr float kCatCodLimit = 30;        // above: クロネコ takes no cash on delivery
inline constexpr float kParcelAmountLimit = 200; // above: neither parcel carrier takes it
inline constexpr float kPostalAmountLimit = 200; // above: the postal window refuses the amount

// What the windows' edits hold: the cash-on-delivery amount at most 7
// characters, the several-parcels count as many digits as the most parcels
// one quote takes (3 for 999).
inline constexpr int kAmountTextLength = 7;
inline constexpr int kParcelCountTextLength = [] {
    int digits = 0;
    for (int most = kMaxParcelCount; most > 0; most /= 10)
        ++digits;
    return digits;
}();

// The total text of a carrier or a service that does not take the item.
inline constexpr std::string_view kNotHandledText = "取扱不可";

// What a rule does to one check box.
enum class BoxChange { Keep, Check, Uncheck };

// One check box as a window shows it.
struct BoxState {
    bool checked = false;
    bool enabled = true;
    bool operator==(const BoxState&) const = default;
};

// What the main window does when its amount becomes `amount`.
struct ParcelAmountRule {
    bool youpackHandles = true;                    // false: ゆうパック shows 取扱不可
    bool catHandles = true;                        // false: クロネコ shows 取扱不可
    BoxChange registered = BoxChange::Keep;        // 書留
    BoxChange catCashOnDelivery = BoxChange::Keep; // クロネコ 代金引換, when it is in use
};
// A negative amount (it cannot be typed) changes nothing.
ParcelAmountRule parcelAmountRule(float amount);

// Above 5 書留 is required: the postal window checks both its 書留 boxes,
// and the main window checks its 書留 as the amount passes through 5 to 30.
bool registeredRequired(float amount);

// The postal window refuses an amount above its limit.
bool postalAmountRefused(float amount);
// "代引き可能な金額の上限は200万円です。"
std::string_view postalAmountLimitMessage();

// クール exists up to "15kg以下" (weight row 8) and "120cm以下" (size row 3).
bool coolAvailable(int weightRow, int sizeRow);

// The options that may not be checked together with `option`: checking it
// disables them. The relation is symmetric.
std::vector<ParcelOption> excludedBy(ParcelOption option);
std::vector<LetterOption> excludedBy(LetterOption option);
std::vector<BookOption> excludedBy(BookOption option);

// N parcels to one address. クロネコ's total already covers them (with its
// discount); ゆうパック has no such rate, so N parcels cost N times one. A
// count of 0 or 1 prices one parcel, as the クロネコ quote does; without
// 複数口 the parcel is one. Throws ConversionError for a count that is not
// a whole number.
int parcelCount(bool several, const std::string& countText);
std::int64_t youpackTotalFor(std::int32_t onePerParcel, int parcels);

enum class Cheaper { Youpack, Cat, Same };
struct CarrierComparison {
    Cheaper cheaper = Cheaper::Same;
    std::int64_t difference = 0;
};
CarrierComparison compareCarriers(std::int64_t youpackTotal, std::int64_t catTotal);

} // namespace hakomaru
