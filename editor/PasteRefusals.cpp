#include "PasteRefusals.h"

#include "ChangeList.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace hakomaru {

TfrmPasteRefusals::TfrmPasteRefusals(const std::vector<PasteRefusal>& refused, std::size_t fitting,
                                     QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmPasteRefusals"));
    setWindowTitle(QStringLiteral("貼り付けられない値"));
    auto* layout = new QVBoxLayout(this);
    const QString text =
        fitting > 0
            ? QStringLiteral("次の %1 個の値は欄に入りません。入る %2 個の値だけを貼り付けますか？"
                             "（まとめて 1 回の操作として元に戻せます）")
                  .arg(refused.size())
                  .arg(fitting)
            : QStringLiteral("どの値も欄に入らないため、貼り付けません。");
    auto* caption = new QLabel(text, this);
    caption->setWordWrap(true);
    layout->addWidget(caption);
    std::vector<FieldRow> rows;
    for (const PasteRefusal& r : refused)
        rows.push_back({r.field, {r.value, r.reason}});
    auto* list = fieldList(this, QStringLiteral("lstRefused"));
    fillFieldList(list, {QStringLiteral("貼り付ける値"), QStringLiteral("入らない理由")}, rows, 1);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(this);
    if (fitting > 0) {
        auto* paste = buttons->addButton(QStringLiteral("入る値だけ貼り付ける"),
                                         QDialogButtonBox::AcceptRole);
        paste->setObjectName(QStringLiteral("btnPasteRest"));
    }
    auto* cancel =
        buttons->addButton(fitting > 0 ? QStringLiteral("キャンセル") : QStringLiteral("閉じる"),
                           QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    cancel->setDefault(true); // nothing is pasted unless the user says so
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(720, 320);
}

} // namespace hakomaru
