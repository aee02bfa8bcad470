#pragma once
// The rules that decide which options a parcel or a postal item may have:
// the cash-on-delivery amount bands, クール by weight and size row, the
// options that exclude each other, 市内特別 by weight row, and how N parcels
// of each carrier compare. The windows and the quote tool all ask these, so
// what one front end allows the other allows too.
#include "ParcelQuote.h"
#include "PostalQuote.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
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
// characters, the several-parcels count at most 3 (so at most 999 parcels).
inline constexpr int kAmountTextLength = 7;
inline constexpr int kParcelCountTextLength = 3;

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

// 市内特別 exists up to " 250g以下" (postal weight row 9).
bool inCityAvailable(int postalWeightRow);

// The option boxes of the main window.
enum class ParcelOption {
    YouCyaku,
    YouSokutatsu,
    YouShitei,
    Kakitome,
    YouCild,
    YouDaihiki,
    CatHome,
    CatTime,
    CatCool,
    CatDaihiki,
    CatFukusu,
};
inline constexpr size_t kParcelOptionCount = static_cast<size_t>(ParcelOption::CatFukusu) + 1;
// The options of the letter-mail page and of the book-parcel page.
enum class LetterOption {
    InCity,
    Sokutatsu,
    Haitatsu,
    Morning10,
    KaniKakitome,
    Kakitome,
    Gentei,
    Daihiki
};
enum class BookOption { Cyaku, Sokutatsu, Shitei, Kani, Kakitome, Daihiki };
inline constexpr size_t kLetterOptionCount = static_cast<size_t>(LetterOption::Daihiki) + 1;
inline constexpr size_t kBookOptionCount = static_cast<size_t>(BookOption::Daihiki) + 1;

// The options that may not be checked together with `option`: checking it
// disables them. The relation is symmetric.
std::vector<ParcelOption> excludedBy(ParcelOption option);
std::vector<LetterOption> excludedBy(LetterOption option);
std::vector<BookOption> excludedBy(BookOption option);

// The names a person sees ("送料着払い", "クロネコ 代金引換", "翌朝10時").
std::string_view optionName(ParcelOption option);
std::string_view optionName(LetterOption option);
std::string_view optionName(BookOption option);

// A selection the window would not let the user make: an option it would
// disable, or an amount it refuses. The message names it and says why.
class SelectionRefused : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The request records as the window would build them from the same
// selections: the amount entered first into a fresh window, then the asked
// options checked one after another. 書留 is added above an amount of 5
// (and with 本人限定受取). Options of a carrier that shows 取扱不可 (by
// the amount, or クロネコ by weight and size) are not looked at: the window
// disables its whole group. Throws SelectionRefused naming an option the
// window would have disabled, with the reason, and ConversionError for an
// amount that is not a number.
struct ParcelAvailability {
    bool youpack = true; // false: ゆうパック is 取扱不可
    bool cat = true;     // false: クロネコ is 取扱不可
};
ParcelAvailability applyMainWindowRules(TYoupackRequest& youpack, TCatRequest& cat);
void applyLetterRules(TLetterMailRequest& request);
void applyBookRules(TBookParcelRequest& request);

// N parcels to one address. クロネコ's total already covers them (with its
// discount); ゆうパック has no such rate, so N parcels cost N times one. A
// count of 0 or 1 prices one parcel, as the クロネコ quote does.
int parcelCount(const TCatRequest& cat);
std::int64_t youpackTotalFor(std::int32_t onePerParcel, int parcels);

enum class Cheaper { Youpack, Cat, Same };
struct CarrierComparison {
    Cheaper cheaper = Cheaper::Same;
    std::int64_t difference = 0;
};
CarrierComparison compareCarriers(std::int64_t youpackTotal, std::int64_t catTotal);

} // namespace hakomaru
