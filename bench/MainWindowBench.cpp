// One user event that runs both recalculations, tariff re-read included:
// picking the next or previous weight row with the arrow keys, as a user
// does on the closed list.
#include "Main.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace hakomaru;

class MainWindowBench : public QObject {
    Q_OBJECT

  private slots:
    void pickWeightRow() {
        QTemporaryDir dir;
        TfrmMain window(dir.filePath("hakomaru.ini").toStdString(),
                        HAKOMARU_SHIPPED_DATA_DIR "/Charge.ini");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* weight = window.findChild<QComboBox*>("cmbWeight");
        auto* total = window.findChild<QLabel*>("lblYouTotal");
        // One step down recomputes: the 4 kg fee differs from the 2 kg fee.
        const QString before = total->text();
        QTest::keyClick(weight, Qt::Key_Down);
        QCOMPARE(weight->currentIndex(), 1);
        QVERIFY(total->text() != before);
        int step = 1;
        QBENCHMARK {
            QTest::keyClick(weight, step++ % 2 ? Qt::Key_Up : Qt::Key_Down);
        }
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QFile::setPermissions(runtime.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    QApplication app(argc, argv);
    setUpApplication();
    MainWindowBench bench;
    return QTest::qExec(&bench, argc, argv);
}

#include "MainWindowBench.moc"
