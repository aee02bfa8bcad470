#pragma once
#include "ini/IniStore.h"
#include "quote/PostalQuote.h"

namespace hakomaru {

// Prices one item of letter mail from an already-read tariff. Heading rows
// 0 and 3 give NoQuote. Throws ConversionError when the base fee field or
// the amount cannot be converted.
TPostalQuote QuoteLetterMail(const IniStore& tariff, const TLetterMailRequest& request);

// Prices one book parcel. Rows below 4 give NoQuote, row 17 NotAvailable.
TPostalQuote QuoteBookParcel(const IniStore& tariff, const TBookParcelRequest& request);

} // namespace hakomaru
