#include "TariffGridModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace hakomaru {

TariffGridModel::TariffGridModel(const TariffDocument& document, std::size_t grid, Editor editor,
                                 QObject* parent)
    : QAbstractTableModel(parent), document_(document), grid_(grid), editor_(std::move(editor)) {
    const TariffGrid& g = table();
    for (std::size_t c = 0; c < g.columns.size(); ++c)
        if (c >= g.separatorColumns.size() || !g.separatorColumns[c])
            columns_.push_back(c);
}

bool TariffGridModel::isNoteColumn(int column) const {
    return !table().rowNotes.empty() && column == static_cast<int>(columns_.size());
}

std::optional<TariffAddress> TariffGridModel::addressAt(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= static_cast<int>(columns_.size()))
        return std::nullopt;
    return TariffAddress{grid_, static_cast<std::size_t>(row),
                         columns_[static_cast<std::size_t>(column)]};
}

QModelIndex TariffGridModel::indexOf(const TariffAddress& at) const {
    if (at.grid != grid_ || at.row >= table().rows.size())
        return {};
    for (std::size_t c = 0; c < columns_.size(); ++c)
        if (columns_[c] == at.column)
            return index(static_cast<int>(at.row), static_cast<int>(c));
    return {};
}

std::vector<HeaderGroup> TariffGridModel::groups(Qt::Orientation orientation) const {
    std::vector<HeaderGroup> shown;
    const TariffGrid& g = table();
    if (orientation == Qt::Vertical) {
        for (const TariffGroup& group : g.rowGroups)
            shown.push_back({static_cast<int>(group.first), static_cast<int>(group.count),
                             QString::fromStdString(group.name)});
        return shown;
    }
    // Columns: the group's columns that the page shows.
    for (const TariffGroup& group : g.columnGroups) {
        HeaderGroup h{-1, 0, QString::fromStdString(group.name)};
        for (std::size_t c = 0; c < columns_.size(); ++c)
            if (columns_[c] >= group.first && columns_[c] < group.first + group.count) {
                if (h.first < 0)
                    h.first = static_cast<int>(c);
                ++h.count;
            }
        if (h.count > 0)
            shown.push_back(h);
    }
    return shown;
}

int TariffGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(table().rows.size());
}

int TariffGridModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return static_cast<int>(columns_.size()) + (table().rowNotes.empty() ? 0 : 1);
}

QVariant TariffGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (isNoteColumn(index.column())) {
        const auto& note = table().rowNotes[static_cast<std::size_t>(index.row())];
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return QString::fromStdString(note);
        if (role == Qt::ForegroundRole)
            return QBrush(QColor(96, 96, 96));
        return {};
    }
    const auto at = addressAt(index.row(), index.column());
    if (!at)
        return {};
    const TariffCell& cell = table().cell(at->row, at->column);
    const bool defaulted = cell.kind == TariffFieldKind::Option && cell.line == 0;
    const auto problem = problems_.find({at->row, at->column});
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
    const auto at = addressAt(index.row(), index.column());
    return at && editor_(*at, value.toString()).isEmpty();
}

Qt::ItemFlags TariffGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && !isNoteColumn(index.column()) && document_.readOnlyReason().empty())
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant TariffGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical)
        return static_cast<std::size_t>(section) < table().rows.size()
                   ? QString::fromStdString(table().rows[static_cast<std::size_t>(section)])
                   : QVariant();
    if (isNoteColumn(section))
        return QStringLiteral("内容");
    if (static_cast<std::size_t>(section) >= columns_.size())
        return {};
    return QString::fromStdString(table().columns[columns_[static_cast<std::size_t>(section)]])
        .trimmed();
}

void TariffGridModel::setProblems(std::map<std::pair<std::size_t, std::size_t>, QString> problems) {
    problems_ = std::move(problems);
    refresh();
}

void TariffGridModel::refresh() {
    if (rowCount() > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

} // namespace hakomaru
