#pragma once
// A clickable label that looks like a link while the pointer is over it:
// white opaque background, blue 10-point bold underlined text; otherwise
// transparent, red 9-point plain text. It exists because QLabel has no
// hover style; it keeps QLabel's own enter and leave handling and sizes
// itself to its text after each change.
#include <QLabel>

namespace hakomaru {

class TLabelEx : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

} // namespace hakomaru
