#pragma once
// What every program with windows sets up once, right after its
// QApplication exists: the application title, the window fonts and style,
// the window icon and the Japanese translation of Qt's own texts.
namespace hakomaru {

void setUpApplication();

} // namespace hakomaru
