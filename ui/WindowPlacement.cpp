#include "WindowPlacement.h"
#include "DisplayPlatform.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <limits>

namespace hakomaru {
namespace {

// Squared distance between two rectangles, 0 when they meet.
long long distance2(const QRect& a, const QRect& b) {
    const long long dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
    const long long dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
    return dx * dx + dy * dy;
}

class OwnerMinimiser final : public QObject {
  public:
    explicit OwnerMinimiser(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange && window_.isMinimized())
            if (QWidget* owner = window_.parentWidget(); owner && !owner->window()->isMinimized())
                owner->window()->showMinimized();
        return false;
    }

  private:
    QWidget& window_;
};

// Centres its window's frame on the screen once the window manager has
// told the frame's extents, then leaves the window alone.
class FrameCentrer final : public QObject {
  public:
    explicit FrameCentrer(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
        place();
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
            if (watched == &window_ && window_.windowHandle())
                window_.windowHandle()->installEventFilter(this);
            settle();
            break;
        case QEvent::Move:
        case QEvent::Expose:
            settle();
            break;
        default:
            break;
        }
        return false;
    }

  private:
    static QRect availableArea() {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? screen->availableGeometry() : QRect();
    }

    // Before the window is shown: the frame guessed from the owner's.
    void place() {
        QMargins frame;
        if (const QWidget* owner = window_.parentWidget())
            if (const QWindow* handle = owner->window()->windowHandle(); handle && handle->handle())
                frame = handle->frameMargins();
        const QSize size = window_.size().grownBy(frame);
        moveFrame(window_, centredFramePosition(size, availableArea()));
    }

    // Once the frame's extents are known: centred on them, then done.
    void settle() {
        if (settled_ || !window_.isVisible() || !frameKnown(window_))
            return;
        settled_ = true;
        const QPoint wanted = centredFramePosition(window_.frameGeometry().size(), availableArea());
        if (framePosition(window_) != wanted)
            moveFrame(window_, wanted);
        deleteLater();
    }

    QWidget& window_;
    bool settled_ = false;
};

} // namespace

QPoint reachableFramePosition(QPoint frame, int frameWidth, int titleHeight,
                              const QList<QRect>& screens) {
    const QRect title(frame, QSize(std::max(1, frameWidth), std::max(1, titleHeight)));
    const QRect* nearest = nullptr;
    long long best = std::numeric_limits<long long>::max();
    for (const QRect& screen : screens) {
        if (screen.intersects(title))
            return frame;
        if (const long long d = distance2(title, screen); d < best) {
            best = d;
            nearest = &screen;
        }
    }
    if (!nearest)
        return frame;
    // Inside the screen when it fits, the left end of the bar first.
    const int x =
        std::max(nearest->left(), std::min(frame.x(), nearest->right() + 1 - title.width()));
    const int y =
        std::max(nearest->top(), std::min(frame.y(), nearest->bottom() + 1 - title.height()));
    return {x, y};
}

QList<QRect> availableScreenAreas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas;
}

bool windowsArePlaced() {
    return platformPlacesWindows(QGuiApplication::platformName().toStdString());
}

QPoint centredFramePosition(QSize frame, const QRect& available) {
    auto axis = [](int start, int length, int size) {
        return std::max(start, std::min(start + (length - size) / 2, start + length - size));
    };
    return {axis(available.left(), available.width(), frame.width()),
            axis(available.top(), available.height(), frame.height())};
}

void centreFrameOnScreen(QWidget& window) {
    new FrameCentrer(window);
}

QPoint roomForPostalWindow(QPoint mainFrame, const QRect& available) {
    return {std::max(mainFrame.x(), available.left() + kPostalDockOffset), mainFrame.y()};
}

QPoint framePosition(const QWidget& window) {
    if (const QWindow* handle = window.windowHandle(); handle && handle->handle())
        return handle->framePosition();
    return window.pos();
}

bool frameKnown(const QWidget& window) {
    const QWindow* handle = window.windowHandle();
    return handle && handle->handle() && !handle->frameMargins().isNull();
}

void moveFrame(QWidget& window, QPoint frame) {
    // A top-level widget's position is its frame's: before the window exists
    // Qt asks the window manager to put the frame there, afterwards it
    // places the client area by the frame's extents it knows.
    window.move(frame);
}

void minimiseWithOwner(QWidget& window) {
    new OwnerMinimiser(window);
}

} // namespace hakomaru
