#include "text/NumberText.h"

#include "text/ConversionError.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace hakomaru {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexValue(char c) {
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::int32_t> parseWholeNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;
    std::uint64_t value = 0;
    const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 2147483648ull : 2147483647ull);
    for (; i < text.size(); ++i) {
        int digit = hex ? hexValue(text[i]) : (isDigit(text[i]) ? text[i] - '0' : -1);
        if (digit < 0)
            return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<unsigned>(digit);
        if (value > limit)
            return std::nullopt;
    }
    auto bits = static_cast<std::uint32_t>(value);
    if (negative)
        bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

std::optional<double> parseDecimalNumber(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    std::string_view body = text.substr(begin, end - begin);

    size_t i = 0;
    if (i < body.size() && (body[i] == '+' || body[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < body.size() && isDigit(body[i]))
        ++i, ++digits;
    if (i < body.size() && body[i] == '.') {
        ++i;
        while (i < body.size() && isDigit(body[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        ++i;
        if (i < body.size() && (body[i] == '+' || body[i] == '-'))
            ++i;
        size_t expDigits = 0;
        while (i < body.size() && isDigit(body[i]))
            ++i, ++expDigits;
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != body.size())
        return std::nullopt;

    // The text is now known to be a plain C-locale number; from_chars does
    // not accept a leading "+", so skip it.
    std::string_view number = body.front() == '+' ? body.substr(1) : body;
    double value = 0;
    auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || ptr != number.data() + number.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::int32_t toWholeNumber(std::string_view text) {
    if (auto value = parseWholeNumber(text))
        return *value;
    throw ConversionError::notWholeNumber(text);
}

float toSingle(std::string_view text) {
    auto value = parseDecimalNumber(text);
    if (!value || std::fabs(*value) > 3.4028234663852886e38)
        throw ConversionError::notDecimalNumber(text);
    return static_cast<float>(*value);
}

std::string plain(std::int32_t amount) {
    return std::to_string(amount);
}

std::string grouped(std::int32_t amount) {
    std::string digits = std::to_string(amount);
    size_t first = amount < 0 ? 1 : 0;
    for (size_t pos = digits.size(); pos > first + 3;) {
        pos -= 3;
        digits.insert(pos, 1, ',');
    }
    return digits;
}

} // namespace hakomaru
