#pragma once
// Quotes printed for a person at a terminal: totals as "¥1,234", each detail
// piece on its own line. Failures of a quote go to `err` with the message the
// calculator gave.
#include "IniStore.h"
#include "ParcelQuote.h"
#include "PostalQuote.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru::cli {

// Both carriers for one parcel, and which is cheaper. Returns 0, or 1 when
// either quote failed.
int printParcelComparison(const IniStore& tariff, const TYoupackRequest& youpack,
                          const TCatRequest& cat, std::ostream& out, std::ostream& err);

// One item of letter mail, or one book parcel. Returns 0, or 1 on failure.
int printLetterMail(const IniStore& tariff, const TLetterMailRequest& request, std::ostream& out,
                    std::ostream& err);
int printBookParcel(const IniStore& tariff, const TBookParcelRequest& request, std::ostream& out,
                    std::ostream& err);

// The pieces of a detail text, one per element: the text is cut at its line
// breaks and before every " + " and " - " that starts a piece.
std::vector<std::string> detailPieces(std::string_view detail);

} // namespace hakomaru::cli
