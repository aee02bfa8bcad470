#pragma once
// A check box whose caption turns blue, with a hand cursor, while the
// pointer is over it, so the user sees which option an explanation belongs
// to. It exists because QCheckBox has no hover colour of its own; it works
// for a disabled box too, since Qt delivers enter and leave to disabled
// widgets.
#include <QCheckBox>

namespace hakomaru {

class TActiveColorCheckBox : public QCheckBox {
    Q_OBJECT
  public:
    using QCheckBox::QCheckBox;

    // Blue while hovered.
    static QColor hoverColor() { return QColor(0, 0, 255); }

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void setCaptionColor(const QColor& color);
};

} // namespace hakomaru
