#include "LabelEx.h"

namespace hakomaru {

void TLabelEx::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setAutoFillBackground(true);
    p.setColor(QPalette::WindowText, QColor(0, 0, 255));
    setPalette(p);
    QFont f = font();
    f.setPointSize(10);
    f.setBold(true);
    f.setUnderline(true);
    setFont(f);
    adjustSize();
}

// A fixed look, not the one before entering: the background colour stays
// white but is no longer painted.
void TLabelEx::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    setAutoFillBackground(false);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, QColor(255, 0, 0));
    setPalette(p);
    QFont f = font();
    f.setPointSize(9);
    f.setBold(false);
    f.setUnderline(false);
    setFont(f);
    adjustSize();
}

} // namespace hakomaru
