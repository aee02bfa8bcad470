#pragma once
// The checker's problems as a list, one row per problem: where it lies in
// the tables, named by the checker (problemPlace), and what the checker
// says. Choosing a row goes to its cell.
//
// The rows are made as they are shown, from the checker's own list, so a
// damaged file's many problems cost no copy.
#include "tools/TariffEdit.h"

#include <QAbstractTableModel>

#include <optional>
#include <vector>

namespace hakomaru {

class ProblemListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit ProblemListModel(QObject* parent);

    // Shows these problems and the cells each names (as
    // TariffDocument::cellsNamedBy gives them); both must stay until the
    // next call.
    void showProblems(const std::vector<TariffProblem>& problems,
                      const std::vector<std::vector<TariffAddress>>& cells);
    // The first cell a row's problem names; nothing for one outside the
    // tables.
    std::optional<TariffAddress> cellOf(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    const std::vector<TariffProblem>* problems_ = nullptr;
    const std::vector<std::vector<TariffAddress>>* cells_ = nullptr;
};

} // namespace hakomaru
