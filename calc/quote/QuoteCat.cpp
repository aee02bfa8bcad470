#include "quote/QuoteCat.h"

#include "ini/EncodedName.h"
#include "ini/IniValues.h"
#include "quote/DetailText.h"
#include "tariff/Catalogues.h"
#include "tariff/TariffLayout.h"
#include "tariff/TariffOptions.h"
#include "text/ConversionError.h"

namespace hakomaru {

bool CatNotHandled(int weightRow, int sizeRow) {
    return weightRow == 13 || sizeRow == 7;
}

int ParcelCount(const std::string& text) {
    const std::int32_t count = toWholeNumber(text);
    if (count < 0 || count > kMaxParcelCount)
        throw ConversionError::parcelCountOutOfRange(text);
    return count;
}

TParcelQuote QuoteCat(const IniStore& tariff, const TCatRequest& r) {
    TParcelQuote quote;
    if (CatNotHandled(r.WeightRow, r.SizeRow)) {
        quote.NotHandled = true;
        return quote;
    }
    // 160 cm is priced as 150 cm.
    const int sizeClass = CatSizeClass(r.WeightRow, r.SizeRow == 6 ? 5 : r.SizeRow);
    // A row without a region (a separator, no selection) has no fee row, even
    // where a hand-edited file holds a section "[]" or a line "=...".
    const std::string_view from = CatRegionOf(r.FromRow);
    const std::string_view to = CatRegionOf(r.ToRow);
    const std::string feeRow = from.empty() || to.empty()
                                   ? std::string()
                                   : readString(tariff, sjisName(from), sjisName(to));
    // The stored fee is for collection; handing in at a shop saves 100 yen.
    const std::int32_t base =
        subYen(feeOfRow(tariff::kCatFees, feeRow, sizeClass), tariff::kCatShopDiscount);

    const std::int32_t count = r.Fukusu ? ParcelCount(r.FukusuText) : 1;
    std::int32_t total = base;
    DetailText detail;
    detail.piece("送料", grouped(r.Fukusu ? mulYen(count, base) : base), true);

    auto add = [&](std::string_view lead, std::int32_t fee, bool groupedFee) {
        total = addYen(total, fee);
        detail.piece(lead, groupedFee ? grouped(fee) : plain(fee), true);
    };
    const auto sizeIndex = static_cast<size_t>(sizeClass);

    if (r.Home)
        add(" + 引取", readOption(tariff, tariff::kCollection), false);
    if (r.Time)
        add(" + タイムサービス", readOption(tariff, tariff::kTimeService[sizeIndex]), true);
    if (r.Cool)
        add(" + クール", readOption(tariff, tariff::kCool[sizeIndex]), false);
    if (r.Daihiki) {
        const auto codClass = static_cast<size_t>(CatCodClass(r.DaihikiText));
        add(" + 代金引換", readOption(tariff, tariff::kCatCod[codClass]), true);
    }
    if (r.Fukusu && count > 1) {
        // Every option is paid per parcel; the discount is per parcel too.
        const std::int32_t discount = mulYen(count, readOption(tariff, tariff::kSeveralParcels));
        total = subYen(mulYen(count, total), discount);
        detail.piece(" - 複数口割引", grouped(discount), true);
    }

    quote.Total = total;
    quote.Detail = detail.take();
    return quote;
}

} // namespace hakomaru
