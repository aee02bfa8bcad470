#pragma once
// The editor's preview: what the unsaved tariff prices, through the same
// rules and calculators as the main program's windows, so that an edit of
// any table shows its effect. One parcel with both carriers (sending and
// destination prefecture, weight, size); one letter and one book parcel of
// a postal weight; and, with an amount for cash on delivery, all of them
// with it and the remittance fee of the chosen method.
#include "ini/IniStore.h"

#include <QGroupBox>

class QComboBox;
class QLabel;
class QLineEdit;

namespace hakomaru {

class TariffPreview : public QGroupBox {
    Q_OBJECT
  public:
    explicit TariffPreview(QWidget* parent = nullptr);

    // Prices the choices shown from the tariff, a failure's reason in plain
    // text below the totals.
    void price(const IniStore& tariff);

  signals:
    // The user changed a choice: the tariff is to be priced again.
    void choicesChanged();

  private:
    QComboBox* cmbFrom_;
    QComboBox* cmbTo_;
    QComboBox* cmbWeight_;
    QComboBox* cmbSize_;
    QLabel* lblYouCaption_;
    QLabel* lblYouTotal_;
    QLabel* lblCatTotal_;
    QComboBox* cmbPostalWeight_;
    QLineEdit* edtAmount_;
    QComboBox* cmbRemittance_;
    QLabel* lblLetterTotal_;
    QLabel* lblBookTotal_;
    QLabel* lblRemittance_;
    QLabel* lblPreviewError_;
};

} // namespace hakomaru
