#include "OwnerDrawComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPointer>
#include <QProxyStyle>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace hakomaru {
namespace {

class OwnerDrawDelegate final : public QStyledItemDelegate {
  public:
    explicit OwnerDrawDelegate(OwnerDrawComboBox* list) : QStyledItemDelegate(list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!list_->onDrawItem)
            return QStyledItemDelegate::paint(painter, option, index);
        painter->save();
        list_->onDrawItem(*painter, index.row(), option.rect,
                          option.state.testFlag(QStyle::State_Selected));
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), list_->itemHeight()};
    }

  private:
    OwnerDrawComboBox* list_;
};

// The application's style, except that lists drop down below their face.
class DropDownListStyle final : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

void dropDownBelowFace(QComboBox* list) {
    // One style for every list, released with the application.
    static QPointer<QStyle> style;
    if (!style) {
        style = new DropDownListStyle(QApplication::style()->name());
        style->setParent(qApp);
    }
    list->setStyle(style);
}

OwnerDrawComboBox::OwnerDrawComboBox(QWidget* parent) : QComboBox(parent) {
    setItemDelegate(new OwnerDrawDelegate(this));
    dropDownBelowFace(this);
}

void OwnerDrawComboBox::setItemHeight(int height) {
    itemHeight_ = height;
    view()->doItemsLayout();
}

void OwnerDrawComboBox::paintEvent(QPaintEvent* event) {
    if (!onDrawItem)
        return QComboBox::paintEvent(event);
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = {};
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0)
        return;
    const QRect face =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.save();
    onDrawItem(painter, currentIndex(), face, hasFocus() && !view()->isVisible());
    painter.restore();
}

} // namespace hakomaru
