#pragma once
// A drop-down list whose rows, the closed face included, are painted by the
// window that owns it, each row with a fixed height. It exists because
// QComboBox paints its face and its popup rows itself; here one callback
// paints both, so a row looks the same in the open list and on the face.
#include <QComboBox>

#include <functional>

namespace hakomaru {

class OwnerDrawComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit OwnerDrawComboBox(QWidget* parent = nullptr);

    // Paints row `index` into `rect`; `selected` is true for the highlighted
    // row of the open list and for the face while the list has the focus.
    using DrawItem =
        std::function<void(QPainter& painter, int index, const QRect& rect, bool selected)>;
    DrawItem onDrawItem;

    void setItemHeight(int height);
    int itemHeight() const { return itemHeight_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int itemHeight_ = 13;
};

// Makes a drop-down list open below its face and show at most
// maxVisibleItems() rows, scrolling the rest. Some styles (Fusion among
// them) open a list as a menu over its face with every row that fits the
// screen, which ignores the number of rows a window asks for.
void dropDownBelowFace(QComboBox* list);

} // namespace hakomaru
