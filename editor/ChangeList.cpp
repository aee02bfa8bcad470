#include "ChangeList.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace hakomaru {

TfrmChangeList::TfrmChangeList(const QString& fileName, const std::vector<TariffChange>& changes,
                               QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmChangeList"));
    setWindowTitle(QStringLiteral("変更の確認"));
    auto* layout = new QVBoxLayout(this);
    const auto outside = static_cast<std::size_t>(std::count_if(
        changes.begin(), changes.end(), [](const TariffChange& c) { return c.outside; }));
    QString text =
        QStringLiteral("%1 の次の %2 か所を書き換えて保存します。ほかのバイトはそのままです。")
            .arg(fileName)
            .arg(changes.size() - outside);
    if (outside > 0)
        text += QStringLiteral("開いたあとでほかのプログラムが変更した %1 か所"
                               "（「ほかのプログラム」の行）は、その変更のまま残します。")
                    .arg(outside);
    auto* caption = new QLabel(text, this);
    caption->setWordWrap(true);
    layout->addWidget(caption);

    lstChanges_ = new QTableWidget(static_cast<int>(changes.size()), 6, this);
    lstChanges_->setObjectName(QStringLiteral("lstChanges"));
    lstChanges_->setHorizontalHeaderLabels(
        {QStringLiteral("表"), QStringLiteral("行"), QStringLiteral("欄"), QStringLiteral("変更前"),
         QStringLiteral("変更後"), QStringLiteral("変更したもの")});
    lstChanges_->verticalHeader()->hide();
    lstChanges_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstChanges_->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int row = 0; row < static_cast<int>(changes.size()); ++row) {
        const TariffChange& c = changes[static_cast<std::size_t>(row)];
        int column = 0;
        for (const std::string* text : {&c.table, &c.row, &c.column, &c.before, &c.after})
            lstChanges_->setItem(row, column++,
                                 new QTableWidgetItem(QString::fromStdString(*text).trimmed()));
        lstChanges_->setItem(row, column,
                             new QTableWidgetItem(c.outside ? QStringLiteral("ほかのプログラム")
                                                            : QStringLiteral("この編集")));
    }
    lstChanges_->resizeColumnsToContents();
    lstChanges_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(lstChanges_);

    addSaveButtons(this, layout, QStringLiteral("保存"));
    resize(620, 360);
}

void addSaveButtons(QDialog* dialog, QLayout* layout, const QString& saveText) {
    auto* buttons = new QDialogButtonBox(dialog);
    auto* save = buttons->addButton(saveText, QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("btnSave"));
    save->setDefault(true);
    auto* cancel = buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace hakomaru
