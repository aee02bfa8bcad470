#pragma once
// The fonts the windows are laid out with. The names are the fonts the
// layout was designed for; setUpWindowFonts maps them to the IPA fonts,
// which have the same metrics.
#include <QFont>

namespace hakomaru {

inline constexpr const char* kPGothic = "ＭＳ Ｐゴシック";
inline constexpr const char* kGothic = "ＭＳ ゴシック";
inline constexpr const char* kPMincho = "ＭＳ Ｐ明朝";

// A window font of `pixelSize` pixels. Glyphs come from this one font, with
// no fallback merging: the IPA fonts hold every character the windows show,
// and working out fallback fonts took a third of the start-up time.
QFont windowFont(const char* family, int pixelSize, bool bold = false);

// Maps the three layout fonts to the IPA fonts and makes the window font
// the application's, so menus and dialogs load no second family.
void setUpWindowFonts();

} // namespace hakomaru
