#pragma once
// The list of changes shown before the tariff is saved: table, row, column,
// old and new value of every changed field. Saving goes on only when the
// user confirms it.
#include "TariffEdit.h"

#include <QDialog>

#include <vector>

class QTableWidget;

namespace hakomaru {

class TfrmChangeList : public QDialog {
    Q_OBJECT
  public:
    TfrmChangeList(const QString& fileName, const std::vector<TariffChange>& changes,
                   QWidget* parent = nullptr);

  private:
    QTableWidget* lstChanges_;
};

} // namespace hakomaru
