#include "ColorValue.h"

#include <QGuiApplication>
#include <QPalette>

namespace hakomaru {
namespace {

// The system colour indexes a person can meet in the settings file.
QPalette::ColorRole systemRole(std::uint32_t index) {
    switch (index) {
    case 5: // window background
        return QPalette::Base;
    case 6: // window frame
        return QPalette::Shadow;
    case 9:  // caption text
    case 18: // button text
        return QPalette::ButtonText;
    case 13:
        return QPalette::Highlight;
    case 14:
        return QPalette::HighlightedText;
    case 15: // button face
        return QPalette::Button;
    case 16: // button shadow
        return QPalette::Dark;
    case 17: // grey text
        return QPalette::PlaceholderText;
    case 20: // button highlight
        return QPalette::Light;
    default: // 8 window text, and anything unknown
        return QPalette::WindowText;
    }
}

} // namespace

QColor colorFromValue(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    if (bits & 0x80000000u)
        return QGuiApplication::palette().color(QPalette::Active, systemRole(bits & 0xFFu));
    return QColor(static_cast<int>(bits & 0xFFu), static_cast<int>((bits >> 8) & 0xFFu),
                  static_cast<int>((bits >> 16) & 0xFFu));
}

std::int32_t valueFromColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(rgb.red()) |
                                     (static_cast<std::uint32_t>(rgb.green()) << 8) |
                                     (static_cast<std::uint32_t>(rgb.blue()) << 16));
}

} // namespace hakomaru
