#pragma once
#include "ini/IniStore.h"
#include "quote/ParcelQuote.h"

namespace hakomaru {

// True when クロネコ takes no parcel of this weight or size (30 kg, 170 cm).
bool CatNotHandled(int weightRow, int sizeRow);

// The most parcels of one request to one address; the window's count edit
// holds as many digits as this has.
inline constexpr int kMaxParcelCount = 999;

// A several-parcels count, 0 to kMaxParcelCount. Throws ConversionError when
// the text is not a whole number or the count is outside that range.
int ParcelCount(const std::string& text);

// Prices a クロネコ parcel, or several to one address, from an already-read
// tariff. The not-handled state reads nothing. Throws ConversionError when a
// fee field, the parcel count or the amount cannot be converted, or when
// the total does not fit a yen amount.
TParcelQuote QuoteCat(const IniStore& tariff, const TCatRequest& request);

} // namespace hakomaru
