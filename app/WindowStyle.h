#pragma once
// The program's widget style: Qt's own style with the check box indicator at
// 13 pixels, the height of every check box in the layouts, so the box draws
// whole instead of losing its bottom row.
namespace hakomaru {

inline constexpr int kIndicatorSize = 13;

// Installs the style for the whole application.
void setUpWindowStyle();

} // namespace hakomaru
