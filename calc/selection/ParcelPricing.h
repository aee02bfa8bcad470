#pragma once
// One parcel priced by both carriers as the main window would price it for
// the same choices (selection/Choices.h), both carriers for the same number of
// parcels. Terminal mode, the batch comparison and the tariff editor's
// preview all show this.
#include "ini/IniStore.h"
#include "quote/ParcelQuote.h"
#include "selection/Choices.h"
#include "selection/ParcelRules.h"

#include <cstdint>
#include <optional>
#include <string>

namespace hakomaru {

struct CarrierPrice {
    bool handled = true;               // false: 取扱不可
    std::optional<TParcelQuote> quote; // a handled carrier's quote, unless it failed
    std::optional<std::int64_t> total; // for all parcels
    std::string error;                 // why the quote failed
};

struct ParcelPrices {
    TYoupackRequest youpack; // the requests as the window would build them
    TCatRequest cat;
    int parcels = 1;
    CarrierPrice you;
    CarrierPrice kuro;
    // Both totals known: which is cheaper and by how much.
    std::optional<CarrierComparison> comparison() const;
};

// Throws SelectionRefused for choices the window would not allow, and
// ConversionError for an amount that is not a number.
ParcelPrices priceParcel(const IniStore& tariff, const ParcelChoices& choices);

} // namespace hakomaru
