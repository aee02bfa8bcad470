#pragma once
// A table header with a band of headings over groups of its sections: the
// regions over the prefectures of the zone table, the services over the
// option entries. Across the top of a horizontal header, down the left of
// a vertical one; each section's own label beside the band.
#include "TariffGridModel.h"

#include <QHeaderView>

class QTableView;

#include <vector>

namespace hakomaru {

class GroupedHeaderView : public QHeaderView {
    Q_OBJECT
  public:
    explicit GroupedHeaderView(Qt::Orientation orientation, QWidget* parent = nullptr);

    void setGroups(std::vector<HeaderGroup> groups);
    const std::vector<HeaderGroup>& groups() const { return groups_; }

    QSize sizeHint() const override;

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void paintEvent(QPaintEvent* event) override;

  private:
    int band() const; // the band's height (horizontal) or width (vertical)
    QRect bandRect(const HeaderGroup& group) const;

    std::vector<HeaderGroup> groups_;
};

// Writes in a table's corner, above its row headers and beside its column
// headers, what the rows and the columns stand for, as a paper table does
// with a diagonal line: the columns' name at the top right, the rows' at
// the bottom left.
void nameAxesInCorner(QTableView& view, const QString& rows, const QString& columns);

} // namespace hakomaru
