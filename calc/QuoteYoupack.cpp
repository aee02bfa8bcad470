#include "QuoteYoupack.h"

#include "Catalogues.h"
#include "ConversionError.h"
#include "DetailText.h"
#include "EncodedName.h"
#include "FixedWidthField.h"
#include "IniValues.h"

#include <cmath>
#include <limits>
#include <optional>

namespace hakomaru {
namespace {

// The zone key "第" + zone character + "地帯", in code page 932.
std::string zoneKey(const IniStore& tariff, const std::string& fromCaption, int toRow) {
    std::string_view zoneRow;
    try {
        if (auto row = tariff.find(sjisName("地帯区分"), toSjis(fromCaption)))
            zoneRow = *row;
    } catch (const std::invalid_argument&) {
        // A caption that code page 932 cannot hold names no row of the table.
    }
    std::string_view zone = toRow >= 0 ? fieldAt(zoneRow, static_cast<size_t>(toRow) + 1, 1)
                                       : std::string_view{};
    return sjisName("第") + std::string(zone) + sjisName("地帯");
}

// 360 yen up to a declared value of 100,000 yen, 20 yen more for each
// further 50,000 yen or part of it, computed in 32-bit float. Nothing when
// the amount is not a number.
std::optional<std::int32_t> registeredFee(const std::string& amountText) {
    float a = 0;
    try {
        a = toSingle(amountText);
    } catch (const ConversionError&) {
        return std::nullopt;
    }
    float n = 0;
    if (a > 10.0f)
        n = std::ceil(a / 5.0f - 2.0f);
    // Amounts beyond any real parcel would overflow the yen count.
    const float limit = static_cast<float>(std::numeric_limits<std::int32_t>::max() / 20);
    const auto steps = static_cast<std::int32_t>(n < limit ? n : limit);
    return addYen(360, mulYen(20, steps));
}

const std::string& expressKey(int weightRow) {
    if (weightRow == 0)
        return sjisName("2kg");
    if (weightRow == 1)
        return sjisName("4kg");
    return sjisName("5kg");
}

std::int32_t expressDefault(int weightRow) {
    return weightRow == 0 ? 310 : weightRow == 1 ? 460 : 570;
}

} // namespace

std::string YoupackCaption(const IniStore& tariff, const std::string& fromCaption, int toRow) {
    return "ゆうパック " + fromSjis(zoneKey(tariff, fromCaption, toRow));
}

TParcelQuote QuoteYoupack(const IniStore& tariff, const TYoupackRequest& r) {
    TParcelQuote quote;
    const std::string zone = zoneKey(tariff, r.FromCaption, r.ToRow);
    quote.Caption = "ゆうパック " + fromSjis(zone);

    const std::string& feeKey = r.ToRow == kSameCityRow ? sjisName("市内") : zone;
    const std::string feeRow = readString(tariff, sjisName("ゆうパック"), feeKey);
    const long long first = 4LL * (static_cast<long long>(r.WeightRow) + 1);
    const std::int32_t base = fieldNumber(feeRow, first > 0 ? static_cast<size_t>(first) : 0, 4);

    std::int32_t total = base;
    DetailText detail;
    detail.piece("送料", grouped(base), true);

    auto add = [&](std::string_view lead, std::int32_t fee, bool groupedFee) {
        total = addYen(total, fee);
        detail.piece(lead, groupedFee ? grouped(fee) : plain(fee), true);
    };

    if (r.Cyaku)
        add(" + 着払", readInteger(tariff, sjisName("着払"), sjisName("料金"), 20), false);
    if (r.Sokutatsu)
        add(" + 速達",
            readInteger(tariff, sjisName("速達"), expressKey(r.WeightRow),
                        expressDefault(r.WeightRow)),
            false);
    if (r.Shitei)
        add(" + 配達日指定", readInteger(tariff, sjisName("配達日指定"), sjisName("料金"), 50),
            false);
    if (r.Kakitome)
        if (auto fee = registeredFee(r.DaihikiText))
            add(" + 書留", *fee, true);
    if (r.Cild) {
        const int w = r.WeightRow;
        const auto& key = (w == 0 || w == 1)   ? sjisName("4kg以下")
                          : (w >= 2 && w <= 4) ? sjisName("8kg以下")
                                               : sjisName("20kg以下");
        const std::int32_t fallback = (w == 0 || w == 1) ? 190 : (w >= 2 && w <= 4) ? 340 : 640;
        add(" + チルド", readInteger(tariff, sjisName("チルド"), key, fallback), false);
    }
    if (r.Daihiki) {
        const int amountClass = r.DaihikiText.empty() ? 0 : RemittanceAmountClass(r.DaihikiText);
        const std::string& methodSection = sjisName(RemittanceMethodName(r.SokinNo));
        const std::int32_t remittance = readInteger(
            tariff, methodSection, sjisName("料金") + std::to_string(amountClass), 0);
        const std::int32_t codFee =
            readInteger(tariff, sjisName("ゆうパック代引"), sjisName("基本料金"), 250);
        total = addYen(total, addYen(remittance, codFee));
        detail.piece(" + 代引手数料", plain(codFee), true);
        detail.piece(" + 送金手数料", grouped(remittance), true);
    }

    quote.Total = total;
    quote.Detail = detail.take();
    return quote;
}

} // namespace hakomaru
