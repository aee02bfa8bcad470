#include "GroupedHeader.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QTableView>

#include <algorithm>

namespace hakomaru {

GroupedHeaderView::GroupedHeaderView(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent) {
    setSectionsClickable(true);
    setHighlightSections(true);
}

void GroupedHeaderView::setGroups(std::vector<HeaderGroup> groups) {
    groups_ = std::move(groups);
    updateGeometry();
    viewport()->update();
}

int GroupedHeaderView::band() const {
    if (groups_.empty())
        return 0;
    const QFontMetrics metrics(font());
    if (orientation() == Qt::Horizontal)
        return metrics.height() + 6;
    int widest = 0;
    for (const HeaderGroup& group : groups_)
        widest = std::max(widest, metrics.horizontalAdvance(group.name));
    return widest + 12;
}

QSize GroupedHeaderView::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    if (orientation() == Qt::Horizontal)
        size.rheight() += band();
    else
        size.rwidth() += band();
    return size;
}

QRect GroupedHeaderView::bandRect(const HeaderGroup& group) const {
    const int last = group.first + group.count - 1;
    const int start = sectionViewportPosition(group.first);
    const int end = sectionViewportPosition(last) + sectionSize(last);
    if (orientation() == Qt::Horizontal)
        return QRect(start, 0, end - start, band());
    return QRect(0, start, band(), end - start);
}

void GroupedHeaderView::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    const QRect own = orientation() == Qt::Horizontal ? rect.adjusted(0, band(), 0, 0)
                                                      : rect.adjusted(band(), 0, 0, 0);
    QHeaderView::paintSection(painter, own, logicalIndex);
}

void GroupedHeaderView::paintEvent(QPaintEvent* event) {
    QHeaderView::paintEvent(event);
    if (groups_.empty() || count() == 0)
        return;
    QPainter painter(viewport());
    for (const HeaderGroup& group : groups_) {
        if (group.count <= 0 || group.first + group.count > count())
            continue;
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.rect = bandRect(group);
        option.section = group.first;
        option.text = group.name;
        option.textAlignment =
            orientation() == Qt::Horizontal ? Qt::AlignCenter : Qt::AlignHCenter | Qt::AlignTop;
        option.position = QStyleOptionHeader::Middle;
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        style()->drawControl(QStyle::CE_HeaderSection, &option, &painter, this);
        QStyleOptionHeader label = option;
        label.rect = option.rect.adjusted(2, 3, -2, -2);
        style()->drawControl(QStyle::CE_HeaderLabel, &label, &painter, this);
    }
}

namespace {

class AxisCorner final : public QObject {
  public:
    AxisCorner(QAbstractButton* corner, QString rows, QString columns)
        : QObject(corner), corner_(corner), rows_(std::move(rows)), columns_(std::move(columns)) {
        corner->setToolTip(QStringLiteral("行: %1、列: %2").arg(rows_, columns_));
        corner->installEventFilter(this);
    }
    // Paints the button as a header section with the two names; the button
    // still selects all when clicked.
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Paint)
            return false;
        QPainter painter(corner_);
        QStyleOptionHeader option;
        option.initFrom(corner_);
        option.position = QStyleOptionHeader::OnlyOneSection;
        painter.save(); // the style leaves its clip behind
        corner_->style()->drawControl(QStyle::CE_Header, &option, &painter, corner_);
        painter.restore();
        painter.setPen(corner_->palette().color(QPalette::Mid));
        painter.drawLine(option.rect.topLeft(), option.rect.bottomRight());
        painter.setPen(corner_->palette().color(QPalette::ButtonText));
        const QRect area = option.rect.adjusted(3, 1, -3, -1);
        painter.drawText(area, Qt::AlignRight | Qt::AlignTop, columns_);
        painter.drawText(area, Qt::AlignLeft | Qt::AlignBottom, rows_);
        return true;
    }

  private:
    QAbstractButton* corner_;
    QString rows_, columns_;
};

} // namespace

void nameAxesInCorner(QTableView& view, const QString& rows, const QString& columns) {
    // The corner is the view's one button of its own (it selects all).
    for (QAbstractButton* corner : view.findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly))
        if (corner->parent() == &view)
            new AxisCorner(corner, rows, columns);
}

} // namespace hakomaru
