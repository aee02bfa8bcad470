#include "ProblemList.h"

#include <QBrush>
#include <QColor>

namespace hakomaru {

ProblemListModel::ProblemListModel(CellNamer namer, QObject* parent)
    : QAbstractTableModel(parent), namer_(std::move(namer)) {}

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
    const auto cell = cellOf(index.row());
    if (role == Qt::ForegroundRole && !cell)
        return QBrush(QColor(96, 96, 96));
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    if (index.column() == 0)
        return cell ? namer_(*cell) : QStringLiteral("（表の外）");
    return QString::fromStdString((*problems_)[static_cast<std::size_t>(index.row())].message);
}

QVariant ProblemListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == 0 ? QStringLiteral("場所") : QStringLiteral("問題");
}

} // namespace hakomaru
