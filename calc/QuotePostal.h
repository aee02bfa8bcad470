#pragma once
#include "IniStore.h"
#include "PostalQuote.h"

namespace hakomaru {

// Prices one item of letter mail from an already-read tariff. Heading rows
// 0 and 3 give NoQuote. Throws ConversionError when the base fee field or
// the amount cannot be converted.
TPostalQuote QuoteLetterMail(const IniStore& tariff, const TLetterMailRequest& request);

// Prices one book parcel. Rows below 4 give NoQuote, row 17 NotAvailable.
TPostalQuote QuoteBookParcel(const IniStore& tariff, const TBookParcelRequest& request);

// True when a postal quote for this row would read nothing from the tariff,
// so a caller need not read the file.
bool LetterMailReadsNothing(int weightRow);
bool BookParcelReadsNothing(int weightRow);

} // namespace hakomaru
