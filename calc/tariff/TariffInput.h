#pragma once
// What a tariff field accepts as a person types it. The editor's cell editor
// asks at every keystroke, `hakomaru-quote set` and the editor's paste ask
// once for the whole value, so a field refuses the same things everywhere
// and says why in the same plain words.
//
// A Japanese input method types full-width forms by default: full-width
// digits, letters, signs and the ideographic space are read as their
// half-width forms (U+FF01 to U+FF5E as U+0021 to U+007E, U+3000 as a
// blank), and the minus sign U+2212 as "-", which no field holds and so is
// refused in plain words like any other sign. A number may be written with
// grouping commas ("1,400", as a spreadsheet copies a formatted cell).
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace hakomaru {

// `text` (UTF-8) with the full-width forms above made half-width.
std::string halfWidthText(std::string_view text);

// What kind of value a field holds.
enum class TariffInputKind {
    Zone,   // one zone character (tariff::isZoneCharacter) that has a fee row
    Fee,    // up to `width` digits
    Option, // a whole number from 0 to tariff::kLargestPlausibleFee
};

struct TariffInputRule {
    TariffInputKind kind = TariffInputKind::Fee;
    std::size_t width = 0;                 // Fee: the field's width in bytes
    std::function<bool(char)>
        zoneHasFees;   // Zone: whether the character (code page 932) has a fee row
    std::string zones; // Zone: the characters that have one (code page 932), for the message
};

enum class TypedState {
    Refused,    // no further typing can make it fit
    Unfinished, // empty, or a grouped number not yet whole ("1,40")
    Accepted,
};

struct TypedValue {
    TypedState state = TypedState::Refused;
    std::string value; // Accepted: the bytes to write (code page 932), without padding, commas or
                       // leading zeros
};

// The plain words of what a field holds: "この欄は 4 桁までの数字です".
std::string inputRuleText(const TariffInputRule& rule);

// `typed` (UTF-8, as typed; blanks around it do not count) read by the rule.
TypedValue readTyped(const TariffInputRule& rule, std::string_view typed);

} // namespace hakomaru
