#pragma once
// Quotes printed for a person at a terminal: totals as "¥1,234", each detail
// piece on its own line. Failures of a quote go to `err` with the message the
// calculator gave.
#include "ini/IniStore.h"
#include "selection/Choices.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru::cli {

// Both carriers for one parcel, or for the same number of parcels, as the
// main window would price the same choices, and which is cheaper.
// Returns 0; 1 when a quote failed; 2, with the reason on `err`, for
// choices the window would not allow.
int printParcelComparison(const IniStore& tariff, const ParcelChoices& choices, std::ostream& out,
                          std::ostream& err);

// One item of letter mail, or one book parcel, as the postal window would
// price the same choices (書留 added above an amount of 5 and with
// 本人限定受取). Returns 0; 1 when the quote failed; 2, with the reason on
// `err`, for choices the window would not allow.
int printLetterMail(const IniStore& tariff, const LetterChoices& choices, std::ostream& out,
                    std::ostream& err);
int printBookParcel(const IniStore& tariff, const BookChoices& choices, std::ostream& out,
                    std::ostream& err);

// The pieces of a detail text, one per element: the text is cut at its line
// breaks and before every " + " and " - " that starts a piece.
std::vector<std::string> detailPieces(std::string_view detail);

} // namespace hakomaru::cli
