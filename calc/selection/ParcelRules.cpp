#include "selection/ParcelRules.h"

#include "text/NumberText.h"

#include <algorithm>
#include <array>
#include <utility>

namespace hakomaru {
namespace {

// Heaviest weight row and largest size row that クール takes: "15kg以下"
// and "120cm以下".
constexpr int kLastCoolWeightRow = 8;
constexpr int kLastCoolSizeRow = 3;

template <typename Option> using Pair = std::pair<Option, Option>;

// Options that are never checked together. Checking either disables the
// other.
constexpr std::array<Pair<ParcelOption>, 7> kParcelExclusions{{
    {ParcelOption::YouCyaku, ParcelOption::YouShitei},
    {ParcelOption::YouCyaku, ParcelOption::YouCild},
    {ParcelOption::YouCyaku, ParcelOption::YouDaihiki},
    {ParcelOption::YouSokutatsu, ParcelOption::YouShitei},
    {ParcelOption::YouShitei, ParcelOption::YouCild},
    {ParcelOption::CatTime, ParcelOption::CatCool},
    {ParcelOption::CatTime, ParcelOption::CatDaihiki},
}};

constexpr std::array<Pair<LetterOption>, 12> kLetterExclusions{{
    {LetterOption::InCity, LetterOption::Gentei},
    {LetterOption::Sokutatsu, LetterOption::Morning10},
    {LetterOption::Haitatsu, LetterOption::Morning10},
    {LetterOption::Haitatsu, LetterOption::KaniKakitome},
    {LetterOption::Haitatsu, LetterOption::Kakitome},
    {LetterOption::Haitatsu, LetterOption::Gentei},
    {LetterOption::Haitatsu, LetterOption::Daihiki},
    {LetterOption::Morning10, LetterOption::KaniKakitome},
    {LetterOption::Morning10, LetterOption::Gentei},
    {LetterOption::KaniKakitome, LetterOption::Kakitome},
    {LetterOption::KaniKakitome, LetterOption::Gentei},
    {LetterOption::Gentei, LetterOption::Daihiki},
}};

constexpr std::array<Pair<BookOption>, 4> kBookExclusions{{
    {BookOption::Cyaku, BookOption::Shitei},
    {BookOption::Cyaku, BookOption::Daihiki},
    {BookOption::Sokutatsu, BookOption::Shitei},
    {BookOption::Kani, BookOption::Kakitome},
}};

template <typename Option, size_t N>
std::vector<Option> partners(const std::array<Pair<Option>, N>& pairs, Option option) {
    std::vector<Option> found;
    for (const auto& [a, b] : pairs) {
        if (a == option)
            found.push_back(b);
        else if (b == option)
            found.push_back(a);
    }
    return found;
}

} // namespace

ParcelAmountRule parcelAmountRule(float amount) {
    ParcelAmountRule rule;
    if (amount > kParcelAmountLimit) {
        rule.youpackHandles = false;
        rule.catHandles = false;
        rule.registered = BoxChange::Uncheck;
        rule.catCashOnDelivery = BoxChange::Uncheck;
    } else if (amount > kCatCodLimit) {
        rule.catHandles = false;
        rule.catCashOnDelivery = BoxChange::Uncheck;
    } else if (amount > kRegisteredAbove) {
        rule.registered = BoxChange::Check;
        rule.catCashOnDelivery = BoxChange::Check;
    } else if (amount > 0) {
        rule.catCashOnDelivery = BoxChange::Check;
    } else if (amount == 0) {
        rule.registered = BoxChange::Uncheck;
        rule.catCashOnDelivery = BoxChange::Uncheck;
    }
    return rule;
}

bool postalAmountRefused(float amount) {
    return amount > kPostalAmountLimit;
}

bool registeredRequired(float amount) {
    return amount > kRegisteredAbove;
}

std::string_view postalAmountLimitMessage() {
    return "代引き可能な金額の上限は200万円です。";
}

bool coolAvailable(int weightRow, int sizeRow) {
    return weightRow <= kLastCoolWeightRow && sizeRow <= kLastCoolSizeRow;
}

std::vector<ParcelOption> excludedBy(ParcelOption option) {
    return partners(kParcelExclusions, option);
}

std::vector<LetterOption> excludedBy(LetterOption option) {
    return partners(kLetterExclusions, option);
}

std::vector<BookOption> excludedBy(BookOption option) {
    return partners(kBookExclusions, option);
}

int parcelCount(bool several, const std::string& countText) {
    if (!several)
        return 1;
    return std::max(1, toWholeNumber(countText));
}

std::int64_t youpackTotalFor(std::int32_t onePerParcel, int parcels) {
    return static_cast<std::int64_t>(onePerParcel) * std::max(1, parcels);
}

CarrierComparison compareCarriers(std::int64_t youpackTotal, std::int64_t catTotal) {
    if (youpackTotal < catTotal)
        return {Cheaper::Youpack, catTotal - youpackTotal};
    if (catTotal < youpackTotal)
        return {Cheaper::Cat, youpackTotal - catTotal};
    return {};
}

} // namespace hakomaru
