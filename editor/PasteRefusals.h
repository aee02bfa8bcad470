#pragma once
// The values of a pasted block that their fields refuse, each with the
// reason, shown before anything is pasted: the user pastes the values that
// fit, or nothing.
#include <QDialog>
#include <QStringList>

#include <vector>

namespace hakomaru {

// One refused value: where it would go and why it does not fit. UTF-8.
struct PasteRefusal {
    QString table, row, column, value, reason;
};

class TfrmPasteRefusals : public QDialog {
    Q_OBJECT
  public:
    // `fitting`: how many of the block's values would be pasted.
    TfrmPasteRefusals(const std::vector<PasteRefusal>& refused, std::size_t fitting,
                      QWidget* parent = nullptr);
};

} // namespace hakomaru
