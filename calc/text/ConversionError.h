#pragma once
// The one error a calculation can raise: a value it needs cannot be
// converted, or a yen amount it computes cannot be held. The message is the
// exact text shown to the user, in UTF-8.
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
    // A yen amount beyond a signed 32-bit integer.
    static ConversionError yenOutOfRange() {
        return ConversionError("金額が計算できる範囲（±2,147,483,647 円）を超えています");
    }
    // A parcel count outside 0 to 999, what the window's three-digit edit holds.
    static ConversionError parcelCountOutOfRange(std::string_view utf8Text) {
        return ConversionError("複数口の個数 '" + std::string(utf8Text) +
                               "' は 0 から 999 の範囲にありません");
    }
};

} // namespace hakomaru
