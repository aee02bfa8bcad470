#pragma once
// The batch loop of the JSON Lines mode.
#include "IniStore.h"

#include <iosfwd>

namespace hakomaru::cli {

// Reads request lines from `in` until it ends and writes one answer line per
// request to `out`, in order; blank lines are skipped. Answers are written in
// large blocks, not per line. Returns the exit status: 0 when every line was
// a well-formed request and every answer was written, 1 otherwise.
int runJsonlBatch(const IniStore& tariff, std::istream& in, std::ostream& out);

} // namespace hakomaru::cli
