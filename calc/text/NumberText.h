#pragma once
// Reading and writing numbers as the tariff and settings files hold them.
#include "text/ConversionError.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace hakomaru {

// A whole number, strictly: optional leading blanks, an optional sign, then
// decimal digits or hexadecimal digits after "$" or "0x"/"0X", and nothing
// after them. Decimal values must fit a signed 32-bit integer; hexadecimal
// values are 32-bit patterns (up to eight digits, "$FFFFFFFF" is -1), as
// colours are written.
std::optional<std::int32_t> parseWholeNumber(std::string_view text);

// A decimal number as a person types it: optional blanks around it, an
// optional sign, digits with at most one "." (at least one digit in all),
// an optional exponent. Anything else, or a value beyond the range of a
// double, gives nothing.
std::optional<double> parseDecimalNumber(std::string_view text);

// Strict conversions that throw ConversionError with the text in the message.
std::int32_t toWholeNumber(std::string_view text);
float toSingle(std::string_view text);

// "#,##0": thousands separated by commas, a minus sign for negatives.
std::string grouped(std::int32_t amount);
// Bare decimal digits, a minus sign for negatives.
std::string plain(std::int32_t amount);

// Yen sums, checked: a hand-edited tariff can hold any value and a request
// any count, and a total that does not fit a signed 32-bit yen amount
// throws ConversionError (ConversionError::yenOutOfRange) rather than
// showing a wrapped, plainly wrong amount.
constexpr std::int32_t checkedYen(std::int64_t amount) {
    if (amount < INT32_MIN || amount > INT32_MAX)
        throw ConversionError::yenOutOfRange();
    return static_cast<std::int32_t>(amount);
}
constexpr std::int32_t addYen(std::int32_t a, std::int32_t b) {
    return checkedYen(std::int64_t{a} + b);
}
constexpr std::int32_t subYen(std::int32_t a, std::int32_t b) {
    return checkedYen(std::int64_t{a} - b);
}
constexpr std::int32_t mulYen(std::int32_t a, std::int32_t b) {
    return checkedYen(std::int64_t{a} * b);
}

} // namespace hakomaru
