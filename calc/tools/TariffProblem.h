#pragma once
// A problem of a tariff file as the checker reports it.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace hakomaru {

enum class TariffProblemKind {
    NotShiftJis,        // the file is UTF-8, or holds bytes that are not code page 932
    LineOutsideSection, // text before the first section header: never read
    LineWithoutEquals,  // a line in a section without "=": never found as a key
    DuplicateSection,   // a later header hides the earlier section
    DuplicateKey,       // a later entry hides the earlier one
    UnknownSection,
    UnknownKey,
    MissingEntry,     // a table row the quotes need: zone row, fee row, region pair
    ShortZoneRow,     // fewer than 55 zone characters
    BadZoneCharacter, // a zone character that is not one visible single-byte character
    MissingZoneFee,   // a zone character without its fee row under "ゆうパック"
    ShortFeeRow,      // a fee row that ends before its last field
    BadField,         // a fixed-width field that would fail conversion
    NotWholeNumber,   // a single-valued entry that silently falls back to its default
    NegativeFee,      // a fee field or option fee below zero (or below the shop discount)
    ImplausibleFee,   // an option fee larger than any real fee: a typing error
    QuoteFails,       // the real calculator fails on a row the other checks passed
};

struct TariffProblem {
    TariffProblemKind kind;
    size_t line = 0;     // where it lies or where it is missing from; 0 when nowhere
    std::string section; // UTF-8
    std::string key;     // UTF-8; empty for a problem of a whole section or line
    std::string message; // UTF-8, Japanese
    size_t position = 0; // the field's first byte in the value, from 1; 0: the whole entry
    // Where else the problem lies, as (line, position): every zone character
    // that uses a zone without a fee row.
    std::vector<std::pair<size_t, size_t>> places = {};
};

} // namespace hakomaru
