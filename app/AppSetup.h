#pragma once
// What every program with windows sets up once, right after its
// QApplication exists: the application title, the window fonts and style,
// the window icon and the Japanese translation of Qt's own texts.
#include <memory>

class QApplication;

namespace hakomaru {

class PlatformArguments;

// Creates the application on the window system `args` chose. Where no
// window system can be used (its Qt plugin is not installed, no display can
// be reached), says so on standard error in Japanese and ends the program
// with status 1, where Qt would abort.
std::unique_ptr<QApplication> startApplication(PlatformArguments& args);

void setUpApplication();

} // namespace hakomaru
