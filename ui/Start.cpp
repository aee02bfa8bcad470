// はこ丸: prices a parcel with two carriers side by side.
#include "AppSetup.h"
#include "DisplayPlatform.h"
#include "Main.h"
#include "Postal.h"
#include "Settings.h"
#include "WindowCommands.h"
#include "tariff/Tariff.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // The window system is chosen before the application exists.
    hakomaru::PlatformArguments args(argc, argv);
    const auto app = hakomaru::startApplication(args);
    hakomaru::setUpApplication();
    const std::filesystem::path programFile = QCoreApplication::applicationFilePath().toStdString();
    const std::filesystem::path programDir = QCoreApplication::applicationDirPath().toStdString();
    hakomaru::TfrmMain frmMain(hakomaru::resolveSettingsPath(programFile),
                               hakomaru::tariffPathIn(programDir));
    // Before show(): showing the window may open the postal window at once.
    hakomaru::installPostalWindow(frmMain);
    hakomaru::installWindowCommands(frmMain);
    frmMain.show();
    // The started program's window takes the keyboard, also where no window
    // manager hands it over.
    frmMain.activateWindow();
    return app->exec();
}
