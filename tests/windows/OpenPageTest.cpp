// Opening a page: what is handed over, and the message where no program
// takes it (under openbox with no program on the path: the window-manager
// test).
#include "FakePlatform.h"
#include "Platform.h"

#include <QTest>

using namespace hakomaru;
using namespace hakomaru::test;

class OpenPageTest : public QObject {
    Q_OBJECT
  private slots:
    void opensOrSaysWhere_data();
    void opensOrSaysWhere();
};

void OpenPageTest::opensOrSaysWhere_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("handed"); // what the platform is asked to open
    QTest::addColumn<QString>("where");  // the message's last line
    QTest::newRow("help page") << "/opt/hakomaru/Help/howto.htm"
                               << ""
                               << "/opt/hakomaru/Help/howto.htm"
                               << "/opt/hakomaru/Help/howto.htm";
    QTest::newRow("a section of a page")
        << "/usr/share/doc/hakomaru/README.html"
        << "tariff-editor"
        << "file:///usr/share/doc/hakomaru/README.html#tariff-editor"
        << "/usr/share/doc/hakomaru/README.html（「tariff-editor」の節）";
    QTest::newRow("file address") << "file:///opt/hakomaru/Help/Sobato.htm"
                                  << ""
                                  << "file:///opt/hakomaru/Help/Sobato.htm"
                                  << "/opt/hakomaru/Help/Sobato.htm";
    QTest::newRow("web address") << "https://example.org/y"
                                 << ""
                                 << "https://example.org/y"
                                 << "https://example.org/y";
}

void OpenPageTest::opensOrSaysWhere() {
    QFETCH(QString, page);
    QFETCH(QString, section);
    QFETCH(QString, handed);
    QFETCH(QString, where);
    FakePlatform platform;
    openPage(nullptr, page, section);
    QCOMPARE(platform.opened, QStringList{handed});
    QVERIFY(platform.messages.isEmpty());

    platform.shellOpens = false;
    openPage(nullptr, page, section);
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages.front().section(QChar('\n'), -1), where);
    QVERIFY(platform.messages.front().contains(QStringLiteral("プログラムが見つかりません")));
}

QTEST_MAIN(OpenPageTest)
#include "OpenPageTest.moc"
