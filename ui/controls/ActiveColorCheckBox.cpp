#include "ActiveColorCheckBox.h"

#include <QGuiApplication>

namespace hakomaru {

// Neither notification is passed on to QCheckBox: the box owns its hover
// look and nothing else listens.
void TActiveColorCheckBox::enterEvent(QEnterEvent*) {
    setCursor(Qt::PointingHandCursor);
    setCaptionColor(hoverColor());
}

void TActiveColorCheckBox::leaveEvent(QEvent*) {
    setCursor(Qt::ArrowCursor);
    // The system's window-text colour, whatever colour the window gave.
    setCaptionColor(QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText));
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
