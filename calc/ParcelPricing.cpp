#include "ParcelPricing.h"

#include "ConversionError.h"
#include "QuoteCat.h"
#include "QuoteYoupack.h"

namespace hakomaru {

std::optional<CarrierComparison> ParcelPrices::comparison() const {
    if (!you.total || !kuro.total)
        return std::nullopt;
    return compareCarriers(*you.total, *kuro.total);
}

ParcelPrices priceParcel(const IniStore& tariff, TYoupackRequest youpack, TCatRequest cat) {
    ParcelPrices p;
    const ParcelAvailability available = applyMainWindowRules(youpack, cat);
    p.youpack = youpack;
    p.cat = cat;
    p.you.handled = available.youpack;
    p.kuro.handled = available.cat;
    try {
        p.parcels = parcelCount(cat);
    } catch (const ConversionError& e) {
        p.kuro.error = e.what();
        p.you.error = e.what();
        return p;
    }
    if (p.you.handled) {
        try {
            p.you.quote = QuoteYoupack(tariff, youpack);
            p.you.total = youpackTotalFor(p.you.quote->Total, p.parcels);
        } catch (const ConversionError& e) {
            p.you.error = e.what();
        }
    }
    if (p.kuro.handled) {
        try {
            p.kuro.quote = QuoteCat(tariff, cat);
            p.kuro.handled = !p.kuro.quote->NotHandled;
            if (p.kuro.handled)
                p.kuro.total = p.kuro.quote->Total;
            else
                p.kuro.quote.reset();
        } catch (const ConversionError& e) {
            p.kuro.error = e.what();
        }
    }
    return p;
}

} // namespace hakomaru
