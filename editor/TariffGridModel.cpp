#include "TariffGridModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace hakomaru {

TariffGridModel::TariffGridModel(const TariffDocument& document, std::size_t grid, Editor editor,
                                 QObject* parent)
    : QAbstractTableModel(parent), document_(document), grid_(grid), editor_(std::move(editor)) {}

int TariffGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(grid().rows.size());
}

int TariffGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(grid().columns.size());
}

QVariant TariffGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const TariffCell& cell = grid().cell(static_cast<std::size_t>(index.row()),
                                         static_cast<std::size_t>(index.column()));
    const bool defaulted = cell.kind == TariffFieldKind::Option && cell.line == 0;
    const auto problem = problems_.find({index.row(), index.column()});
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QString::fromStdString(TariffDocument::shown(cell));
    case Qt::TextAlignmentRole:
        // Zones are characters, fees are numbers.
        return QVariant::fromValue(cell.kind == TariffFieldKind::Zone
                                       ? Qt::AlignCenter
                                       : Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        if (problem != problems_.end())
            return problem->second;
        if (defaulted)
            return QStringLiteral("ファイルにないため既定値 %1 円が使われます").arg(cell.fallback);
        if (cell.line == 0)
            return QStringLiteral("この行はファイルにありません");
        return QStringLiteral("%1 行目").arg(cell.line);
    case Qt::BackgroundRole:
        if (problem != problems_.end())
            return QBrush(QColor(255, 200, 200));
        return {};
    case Qt::ForegroundRole:
        if (defaulted || cell.line == 0)
            return QBrush(QColor(128, 128, 128));
        return {};
    case Qt::FontRole:
        if (defaulted) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

bool TariffGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    const TariffAddress at{grid_, static_cast<std::size_t>(index.row()),
                           static_cast<std::size_t>(index.column())};
    return editor_(at, value.toString()).isEmpty();
}

Qt::ItemFlags TariffGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && document_.readOnlyReason().empty())
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant TariffGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0)
        return QAbstractTableModel::headerData(section, orientation, role);
    const auto& names = orientation == Qt::Horizontal ? grid().columns : grid().rows;
    if (static_cast<std::size_t>(section) >= names.size())
        return {};
    return QString::fromStdString(names[static_cast<std::size_t>(section)]).trimmed();
}

void TariffGridModel::setProblems(std::map<std::pair<int, int>, QString> problems) {
    problems_ = std::move(problems);
    refresh();
}

void TariffGridModel::refresh() {
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

} // namespace hakomaru
