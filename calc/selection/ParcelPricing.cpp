#include "selection/ParcelPricing.h"

#include "quote/QuoteCat.h"
#include "quote/QuoteYoupack.h"
#include "text/ConversionError.h"

#include <algorithm>

namespace hakomaru {

std::optional<CarrierComparison> ParcelPrices::comparison() const {
    if (!you.total || !kuro.total)
        return std::nullopt;
    return compareCarriers(*you.total, *kuro.total);
}

ParcelPrices priceParcel(const IniStore& tariff, const ParcelChoices& choices) {
    ParcelPrices p;
    const ParcelSelected selected = selectParcel(choices);
    const TYoupackRequest& youpack = p.youpack = selected.youpack;
    const TCatRequest& cat = p.cat = selected.cat;
    p.you.handled = selected.youpackHandled;
    p.kuro.handled = selected.catHandled;
    try {
        // The count stands for both carriers, also where クロネコ shows 取扱不可.
        const bool several = std::find(choices.options.begin(), choices.options.end(),
                                       ParcelOption::CatFukusu) != choices.options.end();
        p.parcels = parcelCount(several, choices.parcelCount);
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
