#pragma once
// Table-valued tariff entries hold several numbers in one value, each in a
// field of fixed width. Positions count bytes from 1 at the first byte of
// the trimmed value, so a double-byte character takes two positions.
#include <cstdint>
#include <string_view>

namespace hakomaru {

// The bytes at positions first .. first + width - 1, shorter or empty where
// the value ends before them.
constexpr std::string_view fieldAt(std::string_view value, size_t first, size_t width) {
    if (first == 0 || first > value.size())
        return {};
    return value.substr(first - 1, width);
}

// The field converted strictly; throws ConversionError "'%s' は整数ではありません"
// with the field's text decoded from code page 932.
std::int32_t fieldNumber(std::string_view value, size_t first, size_t width);

} // namespace hakomaru
