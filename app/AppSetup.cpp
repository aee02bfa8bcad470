#include "AppSetup.h"
#include "DisplayPlatform.h"
#include "WindowFonts.h"
#include "WindowStyle.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

namespace hakomaru {
namespace {

// What the application's start has met so far.
struct StartWatch {
    QtMessageHandler previous = nullptr;
    std::string program;
    std::vector<std::string> missing; // platform plugins Qt could not find
};
StartWatch* watch = nullptr;

// Qt names each platform plugin it cannot find, then gives up with a fatal
// message and aborts: that message becomes the program's own, and status 1.
void watchStart(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    static const QRegularExpression notFound(
        QStringLiteral("Could not find the Qt platform plugin \"([^\"]+)\""));
    if (const auto match = notFound.match(message); match.hasMatch())
        watch->missing.push_back(match.captured(1).toStdString());
    if (type != QtFatalMsg) {
        watch->previous(type, context, message);
        return;
    }
    const std::string text =
        noWindowSystemMessage(watch->program, watch->missing, displayEnvironment());
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

std::unique_ptr<QApplication> startApplication(PlatformArguments& args) {
    StartWatch started;
    started.program = QFileInfo(QFile::decodeName(args.program())).fileName().toStdString();
    watch = &started;
    started.previous = qInstallMessageHandler(watchStart);
    auto app = std::make_unique<QApplication>(args.count(), args.values());
    qInstallMessageHandler(started.previous);
    watch = nullptr;
    return app;
}

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
