#pragma once
// The values of a pasted block that their fields refuse, each with the
// reason, shown before anything is pasted: the user pastes the values that
// fit, or nothing.
#include "tools/TariffFieldName.h"

#include <QDialog>

#include <string>
#include <vector>

namespace hakomaru {

// One refused value: the field it would go into (or the table, for a place
// that holds no field), the value and why it does not fit. UTF-8.
struct PasteRefusal {
    TariffFieldName field;
    std::string value, reason;
};

class TfrmPasteRefusals : public QDialog {
    Q_OBJECT
  public:
    // `fitting`: how many of the block's values would be pasted.
    TfrmPasteRefusals(const std::vector<PasteRefusal>& refused, std::size_t fitting,
                      QWidget* parent = nullptr);
};

} // namespace hakomaru
