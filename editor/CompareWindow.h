#pragma once
// ファイル → 比較: the fields in which the open tariff differs from another
// file (a new tariff a carrier sent, a copy kept before a change), as the
// core's comparison lists them and `hakomaru-quote diff` prints them. The
// chosen differences are taken into the open tariff as one undoable edit;
// the list follows every edit of the open tariff.
//
// A window of its own beside the editor's, not over it, so that the field a
// double click shows is never hidden under the list.
#include "tools/TariffEdit.h"

#include <QDialog>
#include <QRect>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

namespace hakomaru {

class TfrmCompare : public QDialog {
    Q_OBJECT
  public:
    // Sets the given fields of the open tariff as one edit; false when
    // nothing was set.
    using Take = std::function<bool(const std::vector<TariffBlockValue>&)>;

    TfrmCompare(const TariffDocument& open, TariffDocument other, const QString& otherName,
                Take take, QWidget* parent = nullptr);

    // The open tariff changed: the list anew.
    void refresh();
    // Takes the differences of the selected rows that can be taken.
    void takeSelected();

    // The width the list's columns take, the window's frame excluded.
    int contentWidth() const;

  signals:
    // A difference was double-clicked: its field in the open tariff.
    void showField(const TariffAddress& at);

  private:
    // The field of the open tariff a difference names, and the value the
    // other file holds there; nothing when it cannot be taken.
    std::optional<TariffBlockValue> takeable(const TariffChange& change) const;
    void updateButtons();

    const TariffDocument& open_;
    TariffDocument other_;
    QString otherName_;
    Take take_;
    std::vector<TariffChange> differences_;
    QLabel* lblCompare_;
    QTableWidget* lstDifferences_;
    QPushButton* btnTake_;
};

// Two frames side by side within `available`: the second window's frame
// (`beside`, the size it would like) on the right of the first's where it
// fits there, else on its left, with the first's height and top; else
// below or above it, with the first's width and left edge. Where there is
// room nowhere, the first frame gives up height at its bottom, keeping at
// least two thirds of `available`, and the second takes it.
struct SideBySide {
    QRect first, second;
};
SideBySide sideBySide(QRect first, QSize beside, const QRect& available);

} // namespace hakomaru
