#pragma once
#include "ini/IniStore.h"
#include "quote/ParcelQuote.h"

namespace hakomaru {

// The group caption "ゆうパック 第…地帯" for a sending caption and destination
// row. It needs only the zone table, so a window can show it even when the
// rest of the quote fails.
std::string YoupackCaption(const IniStore& tariff, const std::string& fromCaption, int toRow);

// Prices a ゆうパック parcel from an already-read tariff. Throws
// ConversionError when a fee field or the amount cannot be converted.
TParcelQuote QuoteYoupack(const IniStore& tariff, const TYoupackRequest& request);

} // namespace hakomaru
