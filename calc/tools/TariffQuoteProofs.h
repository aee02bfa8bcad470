#pragma once
// The tariff checker's quote proofs: the real calculators run on every row
// of every quote, so that what the format rules let pass is proven to
// price. One proof per sending and destination row (per weight row for the
// postal quotes), so that an edit proves again only the rows whose quotes
// read the edited line.
#include "tools/TariffRecheck.h"

namespace hakomaru::detail {

// Adds the proofs of the four quotes to the engine; a quote proves its rows
// in order and reports the first failure.
void addQuoteProofs(RecheckEngine& engine);

} // namespace hakomaru::detail
