// Opening a page: what each window hands over, and the message where no
// program takes it; Qt's own opening where no launcher can be found.
#include "FakePlatform.h"
#include "Platform.h"

#include <QDesktopServices>
#include <QTest>
#include <QUrl>

using namespace hakomaru;
using namespace hakomaru::test;

namespace {

// Takes the pages Qt hands to the "file" scheme's handler.
class PageReceiver : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> received;
  public slots:
    void open(const QUrl& url) { received << url; }
};

} // namespace

class OpenPageTest : public QObject {
    Q_OBJECT
  private slots:
    void opensOrSaysWhere_data();
    void opensOrSaysWhere();
    void noLauncher();
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

void OpenPageTest::noLauncher() {
    // Qt's own opening tells whether a program took the page: none on an
    // empty path (nor on the offscreen platform), Qt's hook for the scheme.
    setPlatform(nullptr);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "");
    for (const char* name : {"BROWSER", "DEFAULT_BROWSER"})
        qunsetenv(name);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Unable to detect|does not support"));
    QVERIFY(!platform().shellOpen(QStringLiteral("/opt/hakomaru/Help/howto.htm")));
    // Where a program takes it, it is handed over as a file address.
    PageReceiver receiver;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &receiver, "open");
    QVERIFY(platform().shellOpen(QStringLiteral("/opt/hakomaru/Help/howto.htm")));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    qputenv("PATH", path);
    QCOMPARE(receiver.received,
             QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/opt/hakomaru/Help/howto.htm"))});
}

QTEST_MAIN(OpenPageTest)
#include "OpenPageTest.moc"
