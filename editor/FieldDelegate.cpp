#include "FieldDelegate.h"

#include <QLineEdit>
#include <QToolTip>

namespace hakomaru {

FieldValidator::FieldValidator(TariffInputRule rule, QObject* parent)
    : QValidator(parent), rule_(std::move(rule)) {}

QValidator::State FieldValidator::validate(QString& input, int& pos) const {
    // An input method's full-width forms, as the half-width ones the file
    // holds; each takes one character either way, so the cursor stays.
    const QString half = QString::fromStdString(halfWidthText(input.toStdString()));
    if (half.size() == input.size())
        input = half;
    switch (readTyped(rule_, input.toStdString()).state) {
    case TypedState::Accepted:
        return Acceptable;
    case TypedState::Unfinished:
        return Intermediate;
    case TypedState::Refused:
        break;
    }
    (void)pos;
    emit refused(QString::fromStdString(inputRuleText(rule_)));
    return Invalid;
}

FieldDelegate::FieldDelegate(RuleAt ruleAt, QObject* parent)
    : QStyledItemDelegate(parent), ruleAt_(std::move(ruleAt)) {}

QWidget* FieldDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    auto* edit = qobject_cast<QLineEdit*>(editor);
    const auto rule = ruleAt_(index);
    if (!edit || !rule)
        return editor;
    edit->setObjectName(QStringLiteral("edtCell"));
    edit->setAlignment(rule->kind == TariffInputKind::Zone ? Qt::AlignCenter
                                                           : Qt::AlignRight | Qt::AlignVCenter);
    auto* validator = new FieldValidator(*rule, edit);
    connect(validator, &FieldValidator::refused, this, [this, edit](const QString& text) {
        QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), text, edit);
        emit refused(text);
    });
    edit->setValidator(validator);
    return editor;
}

} // namespace hakomaru
