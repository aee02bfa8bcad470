#pragma once
// The batch loop of the JSON Lines mode.
#include "ini/IniStore.h"

#include <iosfwd>

namespace hakomaru::cli {

// Reads request lines from `in` until it ends and writes one answer line per
// request to `out`, in order; blank lines are skipped. A line longer than
// kMaxRequestLine is answered as an InvalidRequest without being kept, so
// memory stays bounded whatever arrives. Answers are written in large
// blocks, and whenever the input pauses, so that a program that waits for
// an answer before sending its next request gets it. Returns the exit
// status: 0 when every request got a result record and every answer was
// written; 1 when an answer is an Error or an InvalidRequest, or the
// answers could not be written.
int runJsonlBatch(const IniStore& tariff, std::istream& in, std::ostream& out);

} // namespace hakomaru::cli
