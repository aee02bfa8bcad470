#pragma once
// The list of changes shown before the tariff is saved: table, row, column,
// old and new value of every changed field. Saving goes on only when the
// user confirms it. After a save, the same list reports the changes other
// programs made just before it, which the save kept.
#include "tools/TariffEdit.h"

#include <QDialog>

#include <QStringList>

#include <string_view>
#include <vector>

class QLayout;
class QTableWidget;

namespace hakomaru {

class TfrmChangeList : public QDialog {
    Q_OBJECT
  public:
    enum class Purpose {
        Confirm, // before the save: 保存 or キャンセル
        Report,  // after it: the other programs' changes it kept; 閉じる
    };
    TfrmChangeList(const QString& fileName, const std::vector<TariffChange>& changes,
                   Purpose purpose = Purpose::Confirm, QWidget* parent = nullptr);

  private:
    QTableWidget* lstChanges_;
};

// A read-only list of fields, one row per entry.
QTableWidget* fieldList(QWidget* parent, const QString& objectName);
// One row of such a list: the field, named by the edit core, and what is
// shown beside it (UTF-8).
struct FieldRow {
    const TariffFieldName& field;
    std::vector<std::string_view> values;
};
// Fills it anew: each field's table, row and column (表, 行, 欄), then its
// values under `headers`, the first `numbers` of them right-aligned as
// numbers are everywhere in the editor.
void fillFieldList(QTableWidget* list, const QStringList& headers,
                   const std::vector<FieldRow>& rows, int numbers);

// The end of the editor's dialogs that ask before saving: a default button
// that goes on ("btnSave", `saveText`) and キャンセル ("btnCancel").
void addSaveButtons(QDialog* dialog, QLayout* layout, const QString& saveText);

} // namespace hakomaru
