#include "ChangeList.h"

#include <algorithm>
#include <string>

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace hakomaru {

TfrmChangeList::TfrmChangeList(const QString& fileName, const std::vector<TariffChange>& changes,
                               Purpose purpose, QWidget* parent)
    : QDialog(parent) {
    const bool report = purpose == Purpose::Report;
    setObjectName(report ? QStringLiteral("frmSavedReport") : QStringLiteral("frmChangeList"));
    setWindowTitle(report ? QStringLiteral("保存しました") : QStringLiteral("変更の確認"));
    auto* layout = new QVBoxLayout(this);
    const auto outside = static_cast<std::size_t>(std::count_if(
        changes.begin(), changes.end(), [](const TariffChange& c) { return c.outside; }));
    QString text =
        QStringLiteral("%1 の次の %2 か所を書き換えて保存します。ほかの行や欄はそのままです。")
            .arg(fileName)
            .arg(changes.size() - outside);
    if (report)
        text = QStringLiteral("%1 を保存しました。変更の確認のあとでほかのプログラムが次の %2 "
                              "か所を変更していたため、その変更のまま保存しています。")
                   .arg(fileName)
                   .arg(changes.size());
    else if (outside > 0)
        text += QStringLiteral("開いたあとでほかのプログラムが変更した %1 か所"
                               "（「ほかのプログラム」の行）は、その変更のまま残します。")
                    .arg(outside);
    auto* caption = new QLabel(text, this);
    caption->setWordWrap(true);
    layout->addWidget(caption);

    std::vector<FieldRow> rows;
    for (const TariffChange& c : changes)
        rows.push_back({c, {c.before, c.after, c.outside ? "ほかのプログラム" : "この編集"}});
    lstChanges_ = fieldList(this, QStringLiteral("lstChanges"));
    fillFieldList(
        lstChanges_,
        {QStringLiteral("変更前"), QStringLiteral("変更後"), QStringLiteral("変更したもの")}, rows,
        2);
    layout->addWidget(lstChanges_);

    if (report) {
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
        buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("閉じる"));
        buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("btnClose"));
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        layout->addWidget(buttons);
    } else {
        addSaveButtons(this, layout, QStringLiteral("保存"));
    }
    resize(620, 360);
}

QTableWidget* fieldList(QWidget* parent, const QString& objectName) {
    auto* list = new QTableWidget(parent);
    list->setObjectName(objectName);
    list->verticalHeader()->hide();
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Columns as wide as their text, values side by side; the header looks
    // the same whatever is selected.
    list->horizontalHeader()->setStretchLastSection(false);
    list->horizontalHeader()->setHighlightSections(false);
    return list;
}

void fillFieldList(QTableWidget* list, const QStringList& headers,
                   const std::vector<FieldRow>& rows, int numbers) {
    list->clear();
    list->setColumnCount(3 + static_cast<int>(headers.size()));
    list->setRowCount(static_cast<int>(rows.size()));
    list->setHorizontalHeaderLabels(
        QStringList{QStringLiteral("表"), QStringLiteral("行"), QStringLiteral("欄")} + headers);
    auto text = [](std::string_view utf8) {
        return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    };
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const FieldRow& shown = rows[static_cast<std::size_t>(row)];
        int column = 0;
        for (const std::string* name : {&shown.field.table, &shown.field.row, &shown.field.column})
            list->setItem(row, column++, new QTableWidgetItem(text(*name)));
        for (const std::string_view value : shown.values) {
            auto* item = new QTableWidgetItem(text(value));
            if (column < 3 + numbers)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            list->setItem(row, column++, item);
        }
    }
    list->resizeColumnsToContents();
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
