#pragma once
// The one error a calculation can raise: a value it needs cannot be
// converted. The message is the exact text shown to the user, in UTF-8.
#include <stdexcept>
#include <string>
#include <string_view>

namespace hakomaru {

class ConversionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;

    // "'%s' は整数ではありません": `text` is not a whole number.
    static ConversionError notWholeNumber(std::string_view utf8Text) {
        return ConversionError("'" + std::string(utf8Text) + "' は整数ではありません");
    }
    // "'%s' は浮動小数点数ではありません": `text` is not a decimal number.
    static ConversionError notDecimalNumber(std::string_view utf8Text) {
        return ConversionError("'" + std::string(utf8Text) + "' は浮動小数点数ではありません");
    }
};

} // namespace hakomaru
