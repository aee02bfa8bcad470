// The map picture replaced by a FIFO or /dev/zero, met through the real map
// window opened by the main window's 届け先： button: the map opens with the
// message and without the picture, and the main window still closes. A hang
// ends the test by alarm instead of stalling the run.
#include "Main.h"
#include "UiTestSupport.h"
#include "WindowCommands.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace hakomaru;
using namespace hakomaru::test;

class FileFaultTest : public QObject {
    Q_OBJECT
  private slots:
    void pictureThatIsNoFile() {
        for (const bool fifo : {true, false}) {
            RecordingPlatform platform;
            setPlatform(&platform);
            ProgramFolder folder;
            QTemporaryDir current;
            const std::filesystem::path picture = current.filePath("MapOfJapan.jpg").toStdString();
            if (fifo)
                QCOMPARE(::mkfifo(picture.c_str(), 0600), 0);
            else
                std::filesystem::create_symlink("/dev/zero", picture);
            const QString previous = QDir::currentPath();
            QVERIFY(QDir::setCurrent(current.path()));
            TfrmMain window(folder.settingsPath(), folder.tariffPath());
            installWindowCommands(window);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            bool mapShown = false; // closed as soon as it shows
            QTimer closer;
            QObject::connect(&closer, &QTimer::timeout, [&] {
                if (auto* map = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    mapShown = map->close();
            });
            closer.start(20);
            ::alarm(30);
            QTest::mouseClick(window.findChild<QWidget*>("btnMap"), Qt::LeftButton);
            ::alarm(0);
            QDir::setCurrent(previous);
            QVERIFY(mapShown);
            QCOMPARE(platform.errors,
                     QStringList{QStringLiteral("ファイル MapOfJapan.jpg は開けません"
                                                "（通常のファイルではありません）")});
            QVERIFY(window.close());
            setPlatform(nullptr);
        }
    }
};

HAKOMARU_UI_TEST_MAIN(FileFaultTest)
#include "FileFaultTest.moc"
