#pragma once
// The editor's file dialog: Qt's own dialog rather than the desktop's, so
// it looks the same everywhere, in detail view with columns wide enough for
// their text, and sizes and dates written the Japanese way (2026/12/07
// 17:05) whatever the system's language.
#include <QString>

class QFileDialog;
class QWidget;

namespace hakomaru {

// Sets a dialog up as above (the tests look at one without running it).
void setUpFileDialog(QFileDialog& dialog);

// Asks for an existing tariff file; empty when the user cancels.
QString chooseTariffFile(QWidget* parent, const QString& title, const QString& folder);

} // namespace hakomaru
