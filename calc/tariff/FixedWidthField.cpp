#include "tariff/FixedWidthField.h"

#include "text/ConversionError.h"
#include "text/NumberText.h"
#include "text/Sjis.h"

namespace hakomaru {

std::int32_t fieldNumber(std::string_view value, size_t first, size_t width) {
    std::string_view field = fieldAt(value, first, width);
    if (auto number = parseWholeNumber(field))
        return *number;
    throw ConversionError::notWholeNumber(fromSjis(field));
}

} // namespace hakomaru
