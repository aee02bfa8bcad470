// User events in the real window, tariff re-read included: picking the next
// or previous weight row with the arrow keys, as a user does on the closed
// list (both recalculations), and the amount going from 250 to 0 and back
// (the longest rule cascade: both groups, 書留, クロネコ 代金引換, both quotes).
#include "AppSetup.h"
#include "Main.h"
#include "text/Sjis.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
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

    // One iteration is two typed changes: 250 -> 0 and 0 -> 250.
    void amountCascade() {
        QTemporaryDir dir;
        const QString settings = dir.filePath("hakomaru.ini");
        QFile file(settings);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(toSjis("[Settings]\r\n代引利用=1\r\n")));
        file.close();
        TfrmMain window(settings.toStdString(), HAKOMARU_SHIPPED_DATA_DIR "/Charge.ini");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* amount = window.findChild<QLineEdit*>("edtDaihiki");
        auto* catTotal = window.findChild<QLabel*>("lblCatTotal");
        amount->selectAll();
        QTest::keyClicks(amount, "250");
        QCOMPARE(catTotal->text(), QStringLiteral("取扱不可"));
        QBENCHMARK {
            amount->selectAll();
            QTest::keyClick(amount, '0');
            amount->selectAll();
            QTest::keyClicks(amount, "250");
        }
        QCOMPARE(amount->text(), QStringLiteral("250"));
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
