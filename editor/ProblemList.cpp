#include "ProblemList.h"

#include <QBrush>
#include <QColor>

namespace hakomaru {

ProblemListModel::ProblemListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ProblemListModel::showProblems(const std::vector<TariffProblem>& problems,
                                    const std::vector<std::vector<TariffAddress>>& cells) {
    beginResetModel();
    problems_ = &problems;
    cells_ = &cells;
    endResetModel();
}

std::optional<TariffAddress> ProblemListModel::cellOf(int row) const {
    if (!cells_ || row < 0 || static_cast<std::size_t>(row) >= cells_->size() ||
        (*cells_)[static_cast<std::size_t>(row)].empty())
        return std::nullopt;
    return (*cells_)[static_cast<std::size_t>(row)].front();
}

int ProblemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !problems_ ? 0 : static_cast<int>(problems_->size());
}

int ProblemListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant ProblemListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !problems_)
        return {};
    if (role == Qt::ForegroundRole && !cellOf(index.row()))
        return QBrush(QColor(96, 96, 96));
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const TariffProblem& problem = (*problems_)[static_cast<std::size_t>(index.row())];
    if (index.column() == 1)
        return QString::fromStdString(problem.message);
    if (const auto place = problemPlace(problem))
        return QString::fromStdString(place->text());
    // Outside the tables the line is the one place to go to, in a text
    // editor.
    return problem.line > 0 ? QStringLiteral("%1 行目（表の外）").arg(problem.line)
                            : QStringLiteral("（表の外）");
}

QVariant ProblemListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == 0 ? QStringLiteral("場所") : QStringLiteral("問題");
}

} // namespace hakomaru
