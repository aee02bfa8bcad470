#include "CompareWindow.h"

#include "ChangeList.h"
#include "tools/TariffDiff.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace hakomaru {

SideBySide sideBySide(QRect first, QSize beside, const QRect& available) {
    SideBySide placed{first, QRect(QPoint(), beside)};
    if (available.right() - first.right() >= beside.width()) {
        placed.second = QRect(first.right() + 1, first.top(), beside.width(), first.height());
    } else if (first.left() - available.left() >= beside.width()) {
        placed.second =
            QRect(first.left() - beside.width(), first.top(), beside.width(), first.height());
    } else if (available.bottom() - first.bottom() >= beside.height()) {
        placed.second = QRect(first.left(), first.bottom() + 1, first.width(), beside.height());
    } else if (first.top() - available.top() >= beside.height()) {
        placed.second =
            QRect(first.left(), first.top() - beside.height(), first.width(), beside.height());
    } else {
        const int height = std::min(beside.height(), available.height() / 3);
        placed.first.setTop(available.top());
        placed.first.setBottom(available.bottom() - height);
        placed.second = QRect(first.left(), placed.first.bottom() + 1, first.width(), height);
    }
    return placed;
}

TfrmCompare::TfrmCompare(const TariffDocument& open, TariffDocument other, const QString& otherName,
                         Take take, QWidget* parent)
    : QDialog(parent), open_(open), other_(std::move(other)), otherName_(otherName),
      take_(std::move(take)) {
    setObjectName(QStringLiteral("frmCompare"));
    // A window, not a dialog the window manager keeps over the editor.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("料金表の比較 - %1").arg(otherName));
    auto* layout = new QVBoxLayout(this);
    lblCompare_ = new QLabel(this);
    lblCompare_->setObjectName(QStringLiteral("lblCompare"));
    lblCompare_->setWordWrap(true);
    layout->addWidget(lblCompare_);
    lstDifferences_ = fieldList(this, QStringLiteral("lstDifferences"));
    layout->addWidget(lstDifferences_, 1);
    auto* buttons = new QDialogButtonBox(this);
    btnTake_ =
        buttons->addButton(QStringLiteral("選んだ違いを取り込む"), QDialogButtonBox::ActionRole);
    btnTake_->setObjectName(QStringLiteral("btnTake"));
    btnTake_->setToolTip(
        QStringLiteral("比べるファイルの値をこの料金表に書き込みます（元に戻せます）"));
    auto* close = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("btnClose"));
    connect(btnTake_, &QPushButton::clicked, this, [this] { takeSelected(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(lstDifferences_, &QTableWidget::itemSelectionChanged, this,
            [this] { updateButtons(); });
    connect(lstDifferences_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (const auto value = takeable(differences_[static_cast<std::size_t>(row)]))
            emit showField(value->at);
    });
    layout->addWidget(buttons);
    refresh();
    resize(contentWidth(), 420);
}

int TfrmCompare::contentWidth() const {
    const QMargins margins = layout()->contentsMargins();
    return lstDifferences_->horizontalHeader()->length() + 2 * lstDifferences_->frameWidth() +
           lstDifferences_->verticalScrollBar()->sizeHint().width() + margins.left() +
           margins.right();
}

std::optional<TariffBlockValue> TfrmCompare::takeable(const TariffChange& change) const {
    if (!change.grid || *change.grid >= open_.grids().size() ||
        *change.grid >= other_.grids().size())
        return std::nullopt;
    const TariffGrid& mine = open_.grids()[*change.grid];
    const TariffGrid& theirs = other_.grids()[*change.grid];
    const auto row = mine.rowNamed(change.row);
    const auto otherRow = theirs.rowNamed(change.row);
    if (!row || !otherRow || change.columnIndex >= theirs.columns.size())
        return std::nullopt;
    // A value the other file lacks cannot be written: the editor never
    // removes lines.
    const TariffCell& cell = theirs.cell(*otherRow, change.columnIndex);
    const std::string value = TariffDocument::shown(cell);
    if (cell.line == 0 || value.empty())
        return std::nullopt;
    return TariffBlockValue{{*change.grid, *row, change.columnIndex}, value};
}

void TfrmCompare::refresh() {
    differences_ = diffTariffs(open_, other_);
    std::vector<FieldRow> rows;
    for (const TariffChange& c : differences_)
        rows.push_back({c, {c.before, c.after}});
    fillFieldList(lstDifferences_, {QStringLiteral("この料金表"), QStringLiteral("比べるファイル")},
                  rows, 2);
    for (int row = 0; row < lstDifferences_->rowCount(); ++row)
        if (!takeable(differences_[static_cast<std::size_t>(row)]))
            for (int column = 0; column < lstDifferences_->columnCount(); ++column) {
                QTableWidgetItem* item = lstDifferences_->item(row, column);
                item->setForeground(QColor(128, 128, 128));
                item->setToolTip(QStringLiteral("料金表の欄でないか、比べるファイルにない値の"
                                                "ため、取り込めません"));
            }
    lblCompare_->setText(
        differences_.empty()
            ? QStringLiteral("この料金表と %1 に違いはありません。").arg(otherName_)
            : QStringLiteral("この料金表と %1 の違い: %2 か所。取り込む行を選んで"
                             "「選んだ違いを取り込む」を押すと、比べるファイルの値になります。")
                  .arg(otherName_)
                  .arg(differences_.size()));
    updateButtons();
}

void TfrmCompare::updateButtons() {
    bool any = false;
    for (const QModelIndex& index : lstDifferences_->selectionModel()->selectedRows())
        any = any || takeable(differences_[static_cast<std::size_t>(index.row())]).has_value();
    btnTake_->setEnabled(any && open_.readOnlyReason().empty());
}

void TfrmCompare::takeSelected() {
    std::set<int> rows;
    for (const QModelIndex& index : lstDifferences_->selectionModel()->selectedRows())
        rows.insert(index.row());
    std::vector<TariffBlockValue> values;
    for (const int row : rows)
        if (const auto value = takeable(differences_[static_cast<std::size_t>(row)]))
            values.push_back(*value);
    if (values.empty() || !take_(values))
        return;
    // The difference that took the first one's place is chosen next.
    if (lstDifferences_->rowCount() > 0)
        lstDifferences_->selectRow(std::min(*rows.begin(), lstDifferences_->rowCount() - 1));
}

} // namespace hakomaru
