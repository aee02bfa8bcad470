#pragma once
// ファイル → 比較: the fields in which the open tariff differs from another
// file (a new tariff a carrier sent, a copy kept before a change), as the
// core's comparison lists them and `hakomaru-quote diff` prints them. The
// chosen differences are taken into the open tariff as one undoable edit;
// the list follows every edit of the open tariff.
#include "tools/TariffEdit.h"

#include <QDialog>

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

} // namespace hakomaru
