#include "selection/OptionTable.h"

namespace hakomaru {
namespace {

using Fees = std::span<const TariffOption>;
using Y = TYoupackRequest;
using C = TCatRequest;
using L = TLetterMailRequest;
using B = TBookParcelRequest;

constexpr Fees one(const TariffOption& entry) {
    return Fees(&entry, 1);
}

using P = ParcelOption;
constexpr std::array<ParcelOptionRow, kParcelOptionCount> kParcel{{
    {P::YouCyaku,
     Carrier::Youpack,
     &Y::Cyaku,
     nullptr,
     {"送料着払い", "carriage forward", "you-cyaku", "", "Cyaku", {"着払", "着払い"}},
     one(tariff::kCarriageForward)},
    {P::YouSokutatsu,
     Carrier::Youpack,
     &Y::Sokutatsu,
     nullptr,
     {"速達", "express", "you-sokutatsu", "", "Sokutatsu", {"速達"}},
     tariff::kExpress},
    {P::YouShitei,
     Carrier::Youpack,
     &Y::Shitei,
     nullptr,
     {"配達日指定", "delivery date", "you-shitei", "", "Shitei", {"配達日指定"}},
     one(tariff::kDateRequest)},
    // The fee follows from the declared amount; no entry holds it.
    {P::Kakitome,
     Carrier::Youpack,
     &Y::Kakitome,
     nullptr,
     {"書留", "registered", "kakitome", "", "Kakitome", {"書留"}},
     {}},
    {P::YouCild,
     Carrier::Youpack,
     &Y::Cild,
     nullptr,
     {"チルド", "chilled", "cild", "", "Cild", {"チルド"}},
     tariff::kChilled},
    {P::YouDaihiki,
     Carrier::Youpack,
     &Y::Daihiki,
     nullptr,
     {"ゆうパック 代金引換",
      "cash on delivery",
      "you-daihiki",
      "",
      "Daihiki",
      {"代金引換", "代引"}},
     one(tariff::kYoupackCodBase)},
    {P::CatHome,
     Carrier::Cat,
     nullptr,
     &C::Home,
     {"自宅や会社で荷物を渡す",
      "handed over at home or office",
      "cat-home",
      "",
      "Home",
      {"自宅", "引取"}},
     one(tariff::kCollection)},
    {P::CatTime,
     Carrier::Cat,
     nullptr,
     &C::Time,
     {"タイムサービス", "time service", "cat-time", "", "Time", {"タイムサービス"}},
     tariff::kTimeService},
    {P::CatCool,
     Carrier::Cat,
     nullptr,
     &C::Cool,
     {"クール", "cool", "cat-cool", "", "Cool", {"クール"}},
     tariff::kCool},
    {P::CatDaihiki,
     Carrier::Cat,
     nullptr,
     &C::Daihiki,
     {"クロネコ 代金引換", "cash on delivery", "cat-daihiki", "", "Daihiki", {"代金引換", "代引"}},
     tariff::kCatCod},
    {P::CatFukusu,
     Carrier::Cat,
     nullptr,
     &C::Fukusu,
     {"複数口", "several parcels", "fukusu", "N", "Fukusu", {"複数口"}},
     one(tariff::kSeveralParcels)},
}};

using LO = LetterOption;
constexpr std::array<LetterOptionRow, kLetterOptionCount> kLetter{{
    {LO::InCity, &L::InCity, {"市内特別", "in-city", "in-city", "", "InCity"}, tariff::kInCity},
    {LO::Sokutatsu,
     &L::Sokutatsu,
     {"速達", "express", "sokutatsu", "", "Sokutatsu"},
     tariff::kLetterExpress},
    {LO::Haitatsu,
     &L::Haitatsu,
     {"配達記録", "delivery record", "haitatsu", "", "Haitatsu"},
     one(tariff::kDeliveryRecord)},
    {LO::Morning10,
     &L::Morning10,
     {"翌朝10時", "next morning 10 o'clock", "morning10", "", "Morning10"},
     tariff::kMorning10},
    {LO::KaniKakitome,
     &L::KaniKakitome,
     {"簡易書留", "simple registered", "kani-kakitome", "", "KaniKakitome"},
     one(tariff::kSimpleRegistered)},
    {LO::Kakitome,
     &L::Kakitome,
     {"書留", "registered", "kakitome", "", "Kakitome"},
     one(tariff::kRegistered)},
    {LO::Gentei,
     &L::Gentei,
     {"本人限定受取", "addressee in person", "gentei", "", "Gentei"},
     one(tariff::kInPerson)},
    {LO::Daihiki,
     &L::Daihiki,
     {"代金引換", "cash on delivery", "daihiki", "", "Daihiki"},
     one(tariff::kLetterCodBase)},
}};

using BO = BookOption;
constexpr std::array<BookOptionRow, kBookOptionCount> kBook{{
    {BO::Cyaku,
     &B::Cyaku,
     {"着払い", "carriage forward", "cyaku", "", "Cyaku"},
     one(tariff::kBookCarriageForward)},
    {BO::Sokutatsu,
     &B::Sokutatsu,
     {"速達", "express", "sokutatsu", "", "Sokutatsu"},
     tariff::kBookExpress},
    {BO::Shitei,
     &B::Shitei,
     {"配達日指定", "delivery date", "shitei", "", "Shitei"},
     one(tariff::kBookDateRequest)},
    {BO::Kani,
     &B::Kani,
     {"簡易書留", "simple registered", "kani", "", "Kani"},
     one(tariff::kBookSimpleRegistered)},
    {BO::Kakitome,
     &B::Kakitome,
     {"書留", "registered", "kakitome", "", "Kakitome"},
     one(tariff::kBookRegistered)},
    {BO::Daihiki,
     &B::Daihiki,
     {"代金引換", "cash on delivery", "daihiki", "", "Daihiki"},
     one(tariff::kBookCodBase)},
}};

// Each table lists its options in their enumeration's order, so that an
// option's row is found by its value.
template <typename Rows> constexpr bool inOrder(const Rows& rows) {
    for (size_t i = 0; i < rows.size(); ++i)
        if (static_cast<size_t>(rows[i].option) != i)
            return false;
    return true;
}
static_assert(inOrder(kParcel) && inOrder(kLetter) && inOrder(kBook));

bool same(const TariffOption& a, const TariffOption& b) {
    return a.section == b.section && a.key == b.key;
}

template <typename Rows>
std::optional<OptionOfEntry> reading(const Rows& rows, const TariffOption& entry) {
    for (const auto& row : rows)
        for (const TariffOption& fee : row.fees)
            if (same(fee, entry))
                return OptionOfEntry{row.option, row.names.name};
    return std::nullopt;
}

} // namespace

std::span<const ParcelOptionRow> parcelOptions() {
    return kParcel;
}

std::span<const LetterOptionRow> letterOptions() {
    return kLetter;
}

std::span<const BookOptionRow> bookOptions() {
    return kBook;
}

const ParcelOptionRow& optionRow(ParcelOption option) {
    return kParcel[static_cast<size_t>(option)];
}

const LetterOptionRow& optionRow(LetterOption option) {
    return kLetter[static_cast<size_t>(option)];
}

const BookOptionRow& optionRow(BookOption option) {
    return kBook[static_cast<size_t>(option)];
}

std::string_view optionName(ParcelOption option) {
    return optionRow(option).names.name;
}

std::string_view optionName(LetterOption option) {
    return optionRow(option).names.name;
}

std::string_view optionName(BookOption option) {
    return optionRow(option).names.name;
}

std::optional<OptionOfEntry> optionReading(const TariffOption& entry) {
    if (auto found = reading(kParcel, entry))
        return found;
    if (auto found = reading(kLetter, entry))
        return found;
    return reading(kBook, entry);
}

} // namespace hakomaru
