#pragma once
// Colours as the settings file stores them: a 32-bit value, 0x00BBGGRR for
// an explicit colour (red in the lowest byte) or 0x80000000 plus a system
// colour index for one of the system's colours.
#include <QColor>

#include <cstdint>

namespace hakomaru {

inline constexpr std::int32_t kSystemWindowText = static_cast<std::int32_t>(0x80000008u);
inline constexpr std::int32_t kSystemHighlight = static_cast<std::int32_t>(0x8000000Du);
inline constexpr std::int32_t kSystemHighlightText = static_cast<std::int32_t>(0x8000000Eu);

// The colour a value stands for; system colours come from the application
// palette. An unknown system colour index gives the window-text colour.
QColor colorFromValue(std::int32_t value);

// The explicit colour value 0x00BBGGRR of a colour.
std::int32_t valueFromColor(const QColor& color);

} // namespace hakomaru
