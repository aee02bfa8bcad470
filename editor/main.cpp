// hakomaru-tariff: edits the tariff file Charge.ini without counting bytes.
#include "AppSetup.h"
#include "Tariff.h"
#include "TariffEditor.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The program's title, window fonts, style and icon, as in the main program.
    hakomaru::setUpApplication();
    // The file named on the command line, else the tariff the program uses:
    // Charge.ini beside this program (in the Debian package a link to
    // /etc/hakomaru/Charge.ini).
    const QStringList args = QApplication::arguments();
    const std::filesystem::path path =
        args.size() > 1 ? std::filesystem::path(args[1].toStdString())
                        : hakomaru::tariffPathIn(QApplication::applicationDirPath().toStdString());
    hakomaru::TfrmTariffEditor editor;
    editor.show();
    editor.openFile(path);
    return app.exec();
}
