#include "WindowFit.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace hakomaru {
namespace {

QRect availableAreaAt(QPoint point) {
    const QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QMargins frameMarginsOf(const QWidget& window) {
    if (const QWindow* handle = window.windowHandle(); handle && handle->handle())
        return handle->frameMargins();
    return {};
}

// Once the window manager has told the frame's extents, moves and shrinks
// the window so that its whole frame is on the screen, then leaves it
// alone. It changes nothing on a frame that already fits: the window's own
// idea of its size can lag behind the window manager's, and a size or
// place the user gave it meanwhile must not be taken back.
class FrameFitter final : public QObject {
  public:
    explicit FrameFitter(QWidget& window) : QObject(&window), window_(window) {
        setObjectName(QStringLiteral("hakomaruFrameFitter"));
        window.installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
            if (watched == &window_ && window_.windowHandle())
                window_.windowHandle()->installEventFilter(this);
            settle();
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Expose:
            settle();
            break;
        default:
            break;
        }
        return false;
    }

  private:
    void settle() {
        if (settled_ || !window_.isVisible())
            return;
        const QMargins margins = frameMarginsOf(window_);
        if (margins.isNull())
            return; // not told yet
        settled_ = true;
        if (!window_.isMaximized() && !window_.isFullScreen()) {
            const QRect frame = window_.frameGeometry();
            const QRect fitted = fittedFrame(frame, availableAreaAt(frame.center()));
            if (fitted != frame) {
                window_.resize(fitted.size().shrunkBy(margins));
                window_.move(fitted.topLeft());
            }
        }
        deleteLater();
    }

    QWidget& window_;
    bool settled_ = false;
};

} // namespace

QRect fittedFrame(QRect frame, const QRect& available) {
    if (available.isEmpty())
        return frame;
    frame.setWidth(std::min(frame.width(), available.width()));
    frame.setHeight(std::min(frame.height(), available.height()));
    frame.moveLeft(
        std::clamp(frame.left(), available.left(), available.right() + 1 - frame.width()));
    frame.moveTop(
        std::clamp(frame.top(), available.top(), available.bottom() + 1 - frame.height()));
    return frame;
}

void placeOnScreen(QWidget& window, QPoint corner, QSize size) {
    // Before the window exists its frame is not known: a title bar's height
    // and a thin border are the guess.
    const int title =
        QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    const QMargins guess(4, std::max(title, 24), 4, 4);
    const QRect wanted(corner, size.grownBy(guess));
    const QRect fitted = fittedFrame(wanted, availableAreaAt(wanted.center()));
    window.resize(fitted.size().shrunkBy(guess).expandedTo(window.minimumSizeHint()));
    window.move(fitted.topLeft());
    // A later placement replaces an earlier one still waiting for the frame.
    delete window.findChild<QObject*>(QStringLiteral("hakomaruFrameFitter"),
                                      Qt::FindDirectChildrenOnly);
    new FrameFitter(window);
}

} // namespace hakomaru
