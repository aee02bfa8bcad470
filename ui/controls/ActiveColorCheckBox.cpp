#include "ActiveColorCheckBox.h"

#include <QApplication>
#include <QEnterEvent>

namespace hakomaru {

// Neither notification is passed on to QCheckBox: the box owns its hover
// look and nothing else listens.
void TActiveColorCheckBox::enterEvent(QEnterEvent*) {
    setCursor(Qt::PointingHandCursor);
    setCaptionColor(hoverColor());
    // Watches where the pointer enters next, until the box is left.
    qApp->installEventFilter(this);
}

void TActiveColorCheckBox::leaveEvent(QEvent*) {
    qApp->removeEventFilter(this);
    setCursor(Qt::ArrowCursor);
    // The system's window-text colour, whatever colour the window gave.
    setCaptionColor(QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText));
}

// Qt sends no leave to the box when a popup menu or a modal window took the
// pointer while it was over the box and closes with the pointer elsewhere:
// the pointer then enters another widget while the box still looks hovered.
// Such an entering outside the box counts as leaving it.
bool TActiveColorCheckBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched != this && event->type() == QEvent::Enter && event->isSinglePointEvent()) {
        const QPointF global = static_cast<QEnterEvent*>(event)->globalPosition();
        if (!rect().contains(mapFromGlobal(global).toPoint())) {
            setAttribute(Qt::WA_UnderMouse, false);
            QEvent leave(QEvent::Leave);
            leaveEvent(&leave);
        }
    }
    return false;
}

// Only the caption's colour changes, and only for the enabled look: a
// disabled box keeps its greyed caption.
void TActiveColorCheckBox::setCaptionColor(const QColor& color) {
    QPalette p = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::WindowText, color);
        p.setColor(group, QPalette::ButtonText, color);
    }
    setPalette(p);
}

} // namespace hakomaru
