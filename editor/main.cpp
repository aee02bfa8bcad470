// hakomaru-tariff: edits the tariff file Charge.ini without counting bytes.
#include "AppSetup.h"
#include "DisplayPlatform.h"
#include "SettingsLocation.h"
#include "TariffEditor.h"
#include "tariff/Tariff.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // On X11 where the session offers it besides Wayland, as the main
    // program does: there the window can take its saved place.
    hakomaru::PlatformArguments args(argc, argv);
    const auto app = hakomaru::startApplication(args);
    // The program's title, window fonts, style and icon, as in the main program.
    hakomaru::setUpApplication();
    // The file named on the command line, else the tariff the program uses:
    // Charge.ini beside this program (in the Debian package a link to
    // /etc/hakomaru/Charge.ini).
    const QStringList arguments = QApplication::arguments();
    const std::filesystem::path path =
        arguments.size() > 1
            ? std::filesystem::path(arguments[1].toStdString())
            : hakomaru::tariffPathIn(QApplication::applicationDirPath().toStdString());
    hakomaru::TfrmTariffEditor editor;
    // The window's size and place in hakomaru-tariff.ini, found as the main
    // program finds hakomaru.ini: beside the program, or in the user's
    // configuration folder where the program's folder cannot be written.
    editor.rememberPlaceIn(
        hakomaru::resolveSettingsPath(QCoreApplication::applicationFilePath().toStdString()));
    editor.show();
    editor.openFile(path);
    return app->exec();
}
