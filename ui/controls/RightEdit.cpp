#include "RightEdit.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <optional>

namespace hakomaru {
namespace {

// The character a key press types, as a Windows edit would receive it, or
// nothing for a key that only moves or edits (these are never filtered).
// Control with a letter types the control character (Ctrl+C is 0x03), so
// the clipboard shortcuts are filtered out like any other character.
std::optional<QChar> typedCharacter(const QKeyEvent& event) {
    const int key = event.key();
    const bool control = event.modifiers().testFlag(Qt::ControlModifier);
    if (key == Qt::Key_Backspace)
        return QChar(control ? 0x7F : 0x08); // Control+Backspace types DEL
    if (control && key >= Qt::Key_A && key <= Qt::Key_Z)
        return QChar(static_cast<char16_t>(key - Qt::Key_A + 1));
    if (key >= Qt::Key_Escape && key != Qt::Key_Return && key != Qt::Key_Enter)
        return std::nullopt; // function and movement keys
    const QString text = event.text();
    if (text.size() != 1)
        return std::nullopt;
    return text.front();
}

} // namespace

TRightEdit::TRightEdit(QWidget* parent) : QLineEdit(parent) {
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Input methods would deliver composed text past the key filter, and so
    // would text dropped from elsewhere, which a plain edit field refuses.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAcceptDrops(false);
}

bool TRightEdit::acceptsCharacter(QChar c) {
    const char16_t u = c.unicode();
    return u == 0x08 || u == u'*' || u == u',' || u == u'-' || u == u'.' ||
           (u >= u'0' && u <= u'9');
}

void TRightEdit::keyPressEvent(QKeyEvent* event) {
    const std::optional<QChar> typed = typedCharacter(*event);
    if (!typed) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    QChar c = *typed;
    if (onKeyPress)
        onKeyPress(c);
    if (c.isNull() || !acceptsCharacter(c)) {
        // Discarded: the edit never sees it. Enter still goes on to the
        // window, whose default button takes it.
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            event->ignore();
        else
            event->accept();
        return;
    }
    if (c == *typed && !event->modifiers().testFlag(Qt::ControlModifier)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    // The window's handler replaced the character, or Control typed it
    // (Control+H is backspace): type the plain character.
    const int key = c.unicode() == 0x08 ? int(Qt::Key_Backspace) : int(c.unicode());
    QKeyEvent replaced(QEvent::KeyPress, key, Qt::NoModifier,
                       c.unicode() == 0x08 ? QString() : QString(c));
    QLineEdit::keyPressEvent(&replaced);
}

void TRightEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    emit mouseDown(event->button());
}

void TRightEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        setSelection(0, static_cast<int>(text().size()));
}

} // namespace hakomaru
