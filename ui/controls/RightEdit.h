#pragma once
// A one-line numeric entry field. It exists because the windows' amount and
// count edits need three things a plain QLineEdit does not do together:
// right-aligned text, the whole text selected by a click (so the next digit
// replaces it), and a per-character filter that runs after the containing
// window's own key handler.
#include <QLineEdit>

#include <functional>

namespace hakomaru {

class TRightEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit TRightEdit(QWidget* parent = nullptr);

    // The window's key handler: sees each typed character first and may
    // replace it or discard it (set it to QChar()). Keys that type no
    // character (arrows, Delete, Home ...) never reach it.
    std::function<void(QChar& key)> onKeyPress;

    // True for the characters the edit itself lets through: backspace,
    // "*", ",", "-", "." and the digits.
    static bool acceptsCharacter(QChar c);

  signals:
    // Any mouse button pressed inside the edit, after the edit has handled it.
    void mouseDown(Qt::MouseButton button);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace hakomaru
