#pragma once
// Small pieces both calculator windows are built with: a control placed by
// its name and bounds, a total kept at its right edge, the texts of a quote
// as a person sees them, and an event run on the window's model.
#include "text/Sjis.h"

#include <QLabel>
#include <QString>

#include <algorithm>
#include <string>
#include <string_view>

namespace hakomaru {

// Names the control (tests and other windows find it by name) and sets its
// bounds in its parent.
template <class W> W* place(W* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

inline QLabel* label(QWidget* parent, const char* name, const char* text, int left, int top,
                     int width, int height) {
    return place(new QLabel(QString::fromUtf8(text), parent), name, left, top, width, height);
}

// Sets a total's text; the label sizes itself to the text and keeps its
// right edge at `right`, as the layout's right-aligned totals do.
inline void showRightAligned(QLabel* label, const QString& text, int right, int top, int height) {
    label->setText(text);
    const int width = std::max(1, label->sizeHint().width());
    label->setGeometry(right - width, top, width, height);
}

inline QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "¥" followed by an amount already formatted.
inline QString yen(const std::string& amountText) {
    return fromView(kYen) + QString::fromStdString(amountText);
}

// Runs one event on a window's selection model, then shows the model's state
// on the controls, also when the event ends in an error, which goes on to
// the slot that reports it.
template <class Event, class Show> void runThenShow(const Event& event, const Show& show) {
    try {
        event();
    } catch (...) {
        show();
        throw;
    }
    show();
}

// A detail on one line: every CR LF removed.
inline QString withoutLineBreaks(const std::string& detail) {
    return QString::fromStdString(detail).remove(QStringLiteral("\r\n"));
}

} // namespace hakomaru
