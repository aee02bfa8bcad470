// はこ丸: prices a parcel with two carriers side by side.
#include "Main.h"
#include "AppSetup.h"
#include "DisplayPlatform.h"
#include "Postal.h"
#include "Settings.h"
#include "Tariff.h"
#include "WindowCommands.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char* argv[]) {
    // The window system is chosen before the application exists, through the
    // command line rather than the environment, so programs the user opens
    // from here (a browser for the help pages) keep their own choice.
    hakomaru::DisplayEnvironment env{std::getenv("QT_QPA_PLATFORM"), std::getenv("WAYLAND_DISPLAY"),
                                     std::getenv("DISPLAY"), std::getenv("XDG_SESSION_TYPE")};
    for (int i = 1; i < argc; ++i)
        env.platformOption |=
            std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0;
    std::vector<char*> args(argv, argv + argc);
    char platformOption[] = "-platform";
    char x11[] = "xcb";
    if (hakomaru::runOnX11(env))
        args.insert(args.begin() + 1, {platformOption, x11});
    args.push_back(nullptr);
    int count = static_cast<int>(args.size()) - 1;

    QApplication app(count, args.data());
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
    return app.exec();
}
