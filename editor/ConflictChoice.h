#pragma once
// The fields that both the editor and another program changed since the
// file was opened: for each, the value as opened, this edit's value and the
// other program's, and which of the two to save. The editor asks before it
// saves; it saves nothing the user has not decided.
#include "tools/TariffEdit.h"

#include <QDialog>

#include <vector>

class QTableWidget;

namespace hakomaru {

class TfrmConflictChoice : public QDialog {
    Q_OBJECT
  public:
    TfrmConflictChoice(const QString& fileName, const std::vector<TariffConflict>& conflicts,
                       QWidget* parent = nullptr);

    // For each conflict: true to save this edit's value, false to keep the
    // other program's.
    std::vector<bool> keepMine() const;

  private:
    QTableWidget* lstConflicts_;
};

} // namespace hakomaru
