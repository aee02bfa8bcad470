#pragma once
#include "IniStore.h"
#include "ParcelQuote.h"

namespace hakomaru {

// True when クロネコ takes no parcel of this weight or size (30 kg, 170 cm).
bool CatNotHandled(int weightRow, int sizeRow);

// Prices a クロネコ parcel, or several to one address, from an already-read
// tariff. The not-handled state reads nothing. Throws ConversionError when a
// fee field, the parcel count or the amount cannot be converted.
TParcelQuote QuoteCat(const IniStore& tariff, const TCatRequest& request);

} // namespace hakomaru
