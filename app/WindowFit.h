#pragma once
// Keeps a resizable window whole on the screen: at any scale factor a
// window opens within the screen's available area (without panels and
// docks), its title bar, border and status bar included, shrunk where it
// would not fit.
#include <QRect>

class QWidget;

namespace hakomaru {

// `frame` moved, and shrunk where it is larger, so that all of it lies in
// `available`.
QRect fittedFrame(QRect frame, const QRect& available);

// Puts a top-level window that is not shown yet with its frame's corner at
// `corner` and its client area `size` large, the frame (title bar and
// border included) fitted to the available area of the screen that holds
// its centre (else the primary screen): at once with the frame's extents
// guessed, and once more, if need be, when the window manager has told its
// own.
void placeOnScreen(QWidget& window, QPoint corner, QSize size);

} // namespace hakomaru
