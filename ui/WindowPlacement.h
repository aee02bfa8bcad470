#pragma once
// Where the windows go on the desktop. A window's position is the top-left
// corner of its outer frame (title bar and border included), both when the
// main window is placed at start and when its place is saved on closing, so
// a start and a close without moving it keeps the same numbers.
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace hakomaru {

// The postal window docks this far left of the main window, frame to frame,
// its top level with the main window's top.
inline constexpr int kPostalDockOffset = 210;

// The postal window's frame corner for the main window's frame corner.
inline QPoint dockedFramePosition(QPoint mainFrame) {
    return mainFrame - QPoint(kPostalDockOffset, 0);
}

// A saved frame position, unchanged unless the title bar (the frame's top
// `titleHeight` rows, `frameWidth` wide) would lie wholly outside every
// screen area in `screens`: then the nearest screen area takes the whole
// title bar, so the user can reach the window's menus and drag it.
QPoint reachableFramePosition(QPoint frame, int frameWidth, int titleHeight,
                              const QList<QRect>& screens);

// The available areas of the screens (without panels and docks).
QList<QRect> availableScreenAreas();

// Whether the window system lets the program tell and set where its windows
// are (not in a native Wayland session).
bool windowsArePlaced();

// The corner that centres a frame of size `frame` on `available`, moved
// just enough to keep the frame whole on it; a frame larger than the area
// keeps its top-left corner, and so its title bar, on it.
QPoint centredFramePosition(QSize frame, const QRect& available);

// Centres a top-level window's frame, title bar and border included, on the
// primary screen's available area: before it is shown with its owner's
// frame extents as the best guess, and once more, if need be, when the
// window manager has told its own.
void centreFrameOnScreen(QWidget& window);

// The main window's frame corner moved right just enough that the postal
// window docked on its left starts inside `available`.
QPoint roomForPostalWindow(QPoint mainFrame, const QRect& available);

// The top-left corner of a top-level window's frame, as the window system
// knows it now (the client area's corner while no frame is known).
QPoint framePosition(const QWidget& window);

// Whether the window system has told the window's frame extents yet.
bool frameKnown(const QWidget& window);

// Puts a top-level window's frame corner at `frame`, whether or not it has
// been shown (exact once the frame's extents are known).
void moveFrame(QWidget& window, QPoint frame);

// The window has no minimise box, but a window manager that offers one all
// the same would hide it alone, with no task bar entry to bring it back (and
// a hidden modal window would leave its owner blocked): minimising it
// minimises its owner too, and restoring the owner brings both back.
void minimiseWithOwner(QWidget& window);

} // namespace hakomaru
