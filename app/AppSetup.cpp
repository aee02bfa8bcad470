#include "AppSetup.h"
#include "WindowFonts.h"
#include "WindowStyle.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace hakomaru {

void setUpApplication() {
    // The application's title (the error box's caption). As its name, not
    // its display name: X11 window titles gain " — " and the display name.
    QCoreApplication::setApplicationName(QStringLiteral("はこ丸"));
    setUpWindowFonts();
    setUpWindowStyle();
    // Every window carries the launcher's icon, at the sizes window managers
    // and task bars ask for.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/hakomaru-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    // Qt's own texts (dialog buttons, edit menus) in Japanese, when installed.
    auto* translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace hakomaru
