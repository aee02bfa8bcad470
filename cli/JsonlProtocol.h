#pragma once
// One JSON Lines request and its answer.
//
// A request is one JSON object whose member "quote" names the calculator
// ("youpack", "cat", "letter" or "book"); its other members carry the
// request record's fields under their record names, absent ones taking
// false, "" or 0 (SokinNo 8). The answer is one JSON object on one line:
// the result record, {"Error": message} when the quote cannot be made, or
// {"InvalidRequest": reason} when the line is not a well-formed request
// (not JSON, a NUL byte anywhere in it included, not an object, a member of
// the wrong type or one the kind does not have, a line longer than
// kMaxRequestLine bytes). Names quoted in a reason are JSON strings, control
// characters escaped.
#include "ini/IniStore.h"

#include <string>
#include <string_view>

namespace hakomaru::cli {

// The longest request line, without its line end: 1 MiB.
inline constexpr size_t kMaxRequestLine = size_t{1} << 20;

struct JsonlAnswer {
    std::string line;        // the answer object, without a line end
    bool wellFormed = false; // false when the answer is an InvalidRequest
    bool quoted = false;     // true when the answer is a result record, not an Error
};

// Answers one request line (without its line end) from an already-read tariff.
JsonlAnswer answerRequestLine(const IniStore& tariff, std::string_view line);

// The answer to a line longer than kMaxRequestLine, for a reader that does
// not keep such a line.
JsonlAnswer tooLongAnswer();

} // namespace hakomaru::cli
