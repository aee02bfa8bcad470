#include "ConflictChoice.h"

#include "ChangeList.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace hakomaru {
namespace {
constexpr int kChoiceColumn = 6;
}

TfrmConflictChoice::TfrmConflictChoice(const QString& fileName,
                                       const std::vector<TariffConflict>& conflicts,
                                       QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmConflictChoice"));
    setWindowTitle(QStringLiteral("同じ欄の変更"));
    auto* layout = new QVBoxLayout(this);
    auto* caption =
        new QLabel(QStringLiteral("%1 は開いたあとでほかのプログラムに変更されました。次の %2 "
                                  "か所はこの編集でも変更しています。保存する値を選んでください。")
                       .arg(fileName)
                       .arg(conflicts.size()),
                   this);
    caption->setWordWrap(true);
    layout->addWidget(caption);

    std::vector<FieldRow> rows;
    for (const TariffConflict& c : conflicts)
        rows.push_back({c, {c.opened, c.mine, c.theirs, {}}});
    lstConflicts_ = fieldList(this, QStringLiteral("lstConflicts"));
    fillFieldList(lstConflicts_,
                  {QStringLiteral("開いたとき"), QStringLiteral("この編集"),
                   QStringLiteral("ほかのプログラム"), QStringLiteral("保存する値")},
                  rows, 3);
    for (int row = 0; row < static_cast<int>(conflicts.size()); ++row) {
        const TariffConflict& c = conflicts[static_cast<std::size_t>(row)];
        auto* choice = new QComboBox(lstConflicts_);
        choice->setObjectName(QStringLiteral("cmbKeep%1").arg(row));
        choice->addItem(QStringLiteral("この編集の %1").arg(QString::fromStdString(c.mine)));
        choice->addItem(
            QStringLiteral("ほかのプログラムの %1").arg(QString::fromStdString(c.theirs)));
        lstConflicts_->setCellWidget(row, kChoiceColumn, choice);
    }
    lstConflicts_->resizeColumnsToContents();
    lstConflicts_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(lstConflicts_);

    addSaveButtons(this, layout, QStringLiteral("選んだ値で続ける"));
    resize(720, 320);
}

std::vector<bool> TfrmConflictChoice::keepMine() const {
    std::vector<bool> keep;
    for (int row = 0; row < lstConflicts_->rowCount(); ++row)
        keep.push_back(static_cast<QComboBox*>(lstConflicts_->cellWidget(row, kChoiceColumn))
                           ->currentIndex() == 0);
    return keep;
}

} // namespace hakomaru
