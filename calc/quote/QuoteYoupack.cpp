#include "quote/QuoteYoupack.h"

#include "ini/EncodedName.h"
#include "ini/IniValues.h"
#include "quote/DetailText.h"
#include "tariff/Catalogues.h"
#include "tariff/TariffLayout.h"
#include "tariff/TariffOptions.h"
#include "text/ConversionError.h"

#include <cmath>
#include <limits>
#include <optional>

namespace hakomaru {
namespace {

// The zone table's key for a sending caption: the list's captions are
// encoded once; any other text (from the quote tool) each time.
std::string captionKey(const std::string& caption) {
    for (std::string_view row : PrefectureRows(false))
        if (row == caption)
            return sjisName(row);
    return toSjis(caption);
}

// The zone key "第" + zone character + "地帯", in code page 932.
std::string zoneKey(const IniStore& tariff, const std::string& fromCaption, int toRow) {
    std::string_view zoneRow;
    try {
        if (auto row = tariff.find(sjisName(tariff::kZoneSection), captionKey(fromCaption)))
            zoneRow = *row;
    } catch (const std::invalid_argument&) {
        // A caption that code page 932 cannot hold names no row of the table.
    }
    std::string_view zone =
        toRow >= 0 ? tariff::zoneOf(zoneRow, static_cast<size_t>(toRow)) : std::string_view{};
    return tariff::zoneFeeKey(zone);
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
    // A declared value beyond any real parcel gives a fee no yen amount holds.
    if (!(n <= static_cast<float>(std::numeric_limits<std::int32_t>::max() / 20)))
        throw ConversionError::yenOutOfRange();
    return addYen(360, mulYen(20, static_cast<std::int32_t>(n)));
}

} // namespace

std::string YoupackCaption(const IniStore& tariff, const std::string& fromCaption, int toRow) {
    return "ゆうパック " + fromSjis(zoneKey(tariff, fromCaption, toRow));
}

TParcelQuote QuoteYoupack(const IniStore& tariff, const TYoupackRequest& r) {
    TParcelQuote quote;
    const std::string zone = zoneKey(tariff, r.FromCaption, r.ToRow);
    quote.Caption = "ゆうパック " + fromSjis(zone);

    const std::string& feeKey =
        r.ToRow == kSameCityRow ? sjisName(tariff::kYoupackSameCityKey) : zone;
    const std::string feeRow = readString(tariff, sjisName(tariff::kYoupackFees.section), feeKey);
    const std::int32_t base = feeOfRow(tariff::kYoupackFees, feeRow, r.WeightRow);

    std::int32_t total = base;
    DetailText detail;
    detail.piece("送料", grouped(base), true);

    auto add = [&](std::string_view lead, std::int32_t fee, bool groupedFee) {
        total = addYen(total, fee);
        detail.piece(lead, groupedFee ? grouped(fee) : plain(fee), true);
    };

    if (r.Cyaku)
        add(" + 着払", readOption(tariff, tariff::kCarriageForward), false);
    if (r.Sokutatsu)
        add(" + 速達", readOption(tariff, youpackExpressOption(r.WeightRow)), false);
    if (r.Shitei)
        add(" + 配達日指定", readOption(tariff, tariff::kDateRequest), false);
    if (r.Kakitome)
        if (auto fee = registeredFee(r.DaihikiText))
            add(" + 書留", *fee, true);
    if (r.Cild)
        add(" + チルド", readOption(tariff, youpackChilledOption(r.WeightRow)), false);
    if (r.Daihiki) {
        const std::int32_t remittance = readRemittanceFee(tariff, r.SokinNo, r.DaihikiText);
        const std::int32_t codFee = readOption(tariff, tariff::kYoupackCodBase);
        total = addYen(total, addYen(remittance, codFee));
        detail.piece(" + 代引手数料", plain(codFee), true);
        detail.piece(" + 送金手数料", grouped(remittance), true);
    }

    quote.Total = total;
    quote.Detail = detail.take();
    return quote;
}

} // namespace hakomaru
