#pragma once
// A fast reader for the common request line: one flat JSON object whose
// values are strings without escapes, whole numbers, true or false.
//
// Parsing every line of a large batch with the general JSON parser was the
// quote tool's main cost. This reader accepts only lines it can prove are
// valid JSON of that simple shape; for anything else (escapes, nesting,
// null, fractions, a syntax error) it says so, and the caller parses the
// line with the general parser, which also gives the error position.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru::cli {

struct FlatMember {
    enum class Kind { Boolean, Integer, Unsigned, String };
    std::string key;
    Kind kind = Kind::String;
    bool boolean = false;
    std::int64_t integer = 0;          // Integer: a negative whole number
    std::uint64_t unsignedInteger = 0; // Unsigned: zero or a positive one
    std::string text;                  // String
};

// Reads `line` into `members` (reusing their storage; `count` is set to the
// number read). False when the line is not of the simple shape.
bool readFlatObject(std::string_view line, std::vector<FlatMember>& members, size_t& count);

} // namespace hakomaru::cli
