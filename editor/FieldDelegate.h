#pragma once
// The cell editor of the tariff grids: it takes, key by key, only what the
// field can hold, as the edit core decides (tariff/TariffInput.h), so nothing
// typed is lost on Enter. Full-width digits and letters become half-width
// as they are typed; a refused key leaves the text as it was and says in
// plain words what the field holds.
#include "tools/TariffEdit.h"

#include <QStyledItemDelegate>
#include <QValidator>

#include <functional>

namespace hakomaru {

// A field's rule as a QValidator.
class FieldValidator : public QValidator {
    Q_OBJECT
  public:
    FieldValidator(TariffInputRule rule, QObject* parent);
    State validate(QString& input, int& pos) const override;

  signals:
    // A key was refused; `rule` says what the field holds.
    void refused(const QString& rule) const;

  private:
    TariffInputRule rule_;
};

class FieldDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    // `ruleAt` gives the rule of the field a cell shows; nothing for a cell
    // without one.
    using RuleAt = std::function<std::optional<TariffInputRule>(const QModelIndex&)>;
    FieldDelegate(RuleAt ruleAt, QObject* parent);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

  signals:
    void refused(const QString& rule) const;

  private:
    RuleAt ruleAt_;
};

} // namespace hakomaru
