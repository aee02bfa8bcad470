// The about window and the version block read back from program files: the
// test program itself carries the block, copies of it are damaged on purpose.
#include "Version.h"
#include "FakePlatform.h"
#include "VersionInfo.h"

#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

using namespace hakomaru;
using namespace hakomaru::test;

namespace {

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Every occurrence of `from` replaced by `to` (same length): the copy is
// only read, never run, so the program's own use of the text does not matter.
std::string replaced(std::string bytes, const std::string& from, const std::string& to) {
    for (auto at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at))
        bytes.replace(at, from.size(), to);
    return bytes;
}

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class VersionTest : public QObject {
    Q_OBJECT
  private slots:
    void readsTheRunningProgram();
    void damagedProgramFiles_data();
    void damagedProgramFiles();
    void queryVersionValue_data();
    void queryVersionValue();
    void rightsNoticeYear_data();
    void rightsNoticeYear();
    void aboutWindow();
};

void VersionTest::readsTheRunningProgram() {
    QCOMPARE(ReadFileVersion(), std::string("2.8.0.75"));
    const auto self = RunningProgramFile();
    const std::uint32_t size = FileVersionInfoSize(self);
    QVERIFY(size > 0);
    std::vector<char> block;
    QVERIFY(ReadFileVersionInfo(self, size, block));
    std::string value;
    QVERIFY(QueryVersionValue(block, "\\StringFileInfo\\041103A4\\ProductVersion", value));
    QCOMPARE(value, std::string("1.0.0.0"));
    QVERIFY(QueryVersionValue(block, "\\StringFileInfo\\041103A4\\CompanyName", value));
    QCOMPARE(value, std::string());
    // A wrong size is a failed read.
    QVERIFY(!ReadFileVersionInfo(self, size + 1, block));
}

void VersionTest::damagedProgramFiles_data() {
    QTest::addColumn<QByteArray>("bytes"); // the file's content
    QTest::addColumn<int>("line");         // 0: reads 2.8.0.75
    const std::string self = readBytes(RunningProgramFile());
    auto row = [](const std::string& s) { return QByteArray(s.data(), qsizetype(s.size())); };
    QTest::newRow("a copy of the program") << row(self) << 0;
    QTest::newRow("string table of another language")
        << row(replaced(self, "041103A4", "040904B0")) << 24;
    QTest::newRow("no FileVersion in it")
        << row(replaced(self, "\\FileVersion=", "\\FileVersiox=")) << 24;
    QTest::newRow("no version block")
        << row(replaced(self, ".hakomaru_version", ".hakomaru_versiox")) << 22;
    QTest::newRow("block without its first line")
        << row(replaced(self, "HAKOMARU-VERSIONINFO 1", "HAKOMARU-VERSIONINFO 2")) << 24;
    QTest::newRow("cut short") << row(self.substr(0, self.size() / 2)) << 22;
    QTest::newRow("empty") << QByteArray() << 22;
    QTest::newRow("not a program") << QByteArray("#!/bin/sh\necho 2.8.0.75\n") << 22;
    QTest::newRow("only an ELF header") << QByteArray("\x7f"
                                                      "ELF\x02\x01\x01",
                                                      7)
                                        << 22;
}

void VersionTest::damagedProgramFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QTemporaryDir dir;
    const std::filesystem::path file = dir.filePath("program").toStdString();
    writeBytes(file, bytes.toStdString());
    if (line == 0) {
        QCOMPARE(ReadFileVersionOf(file), std::string("2.8.0.75"));
        return;
    }
    try {
        ReadFileVersionOf(file);
        QFAIL("no assertion failure");
    } catch (const AssertionFailure& e) {
        QCOMPARE(e.line(), line);
        QCOMPARE(QString::fromUtf8(e.what()),
                 QStringLiteral("Assertion failure (untVersionInfo, %1 行)").arg(line));
    }
}

void VersionTest::queryVersionValue_data() {
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");
    const QByteArray block(
        "HAKOMARU-VERSIONINFO 1\n\\StringFileInfo\\041103A4\\FileVersion=2.8.0.75\r\n"
        "\\StringFileInfo\\041103A4\\Comments=\n");
    const QString fileVersion = "\\StringFileInfo\\041103A4\\FileVersion";
    QTest::newRow("found") << block << fileVersion << true << "2.8.0.75";
    QTest::newRow("case of the names")
        << block << "\\stringfileinfo\\041103a4\\fileversion" << true << "2.8.0.75";
    QTest::newRow("empty value") << block << "\\StringFileInfo\\041103A4\\Comments" << true << "";
    QTest::newRow("a prefix is not a name")
        << block << "\\StringFileInfo\\041103A4\\File" << false << "";
    QTest::newRow("ends at the first NUL")
        << QByteArray("HAKOMARU-VERSIONINFO 1\n\0\\StringFileInfo\\041103A4\\FileVersion=1\n", 64)
        << fileVersion << false << "";
    QTest::newRow("no first line") << block.mid(23) << fileVersion << false << "";
}

void VersionTest::queryVersionValue() {
    QFETCH(QByteArray, block);
    QFETCH(QString, path);
    QFETCH(bool, found);
    QFETCH(QString, value);
    std::string result;
    const std::vector<char> bytes(block.begin(), block.end());
    QCOMPARE(QueryVersionValue(bytes, path.toStdString(), result), found);
    if (found)
        QCOMPARE(QString::fromStdString(result), value);
}

void VersionTest::rightsNoticeYear_data() {
    QTest::addColumn<QString>("locale"); // the user's locale meanwhile
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("notice");
    const QString notice = QStringLiteral("Copyright (C) %1 Hakomaru Project");
    // A short date that begins with the day, the month, a two-digit year or
    // other digits than ASCII ones.
    QTest::newRow("C") << "C" << QDate(2026, 12, 7) << notice.arg(2026);
    QTest::newRow("English, US") << "en_US" << QDate(2026, 12, 7) << notice.arg(2026);
    QTest::newRow("German") << "de_DE" << QDate(2031, 1, 15) << notice.arg(2031);
    QTest::newRow("Arabic, Egypt") << "ar_EG" << QDate(2027, 3, 1) << notice.arg(2027);
    QTest::newRow("Japanese") << "ja_JP" << QDate(2026, 12, 7) << notice.arg(2026);
}

void VersionTest::rightsNoticeYear() {
    QFETCH(QString, locale);
    QFETCH(QDate, date);
    QFETCH(QString, notice);
    const QLocale before;
    QLocale::setDefault(QLocale(locale));
    const QString shown = rightsNotice(date);
    QLocale::setDefault(before);
    QCOMPARE(shown, notice);
}

void VersionTest::aboutWindow() {
    FakePlatform platform;
    QPointer<TfrmVersion> w = new TfrmVersion;
    w->show();
    QVERIFY(platform.errors.isEmpty());
    QCOMPARE(w->lblVersion->text(), QStringLiteral("Ver.2.8.0.75"));
    QCOMPARE(w->lblPgname->text(), QStringLiteral("はこ丸"));
    // Each label sized to its text, none over the next one.
    QVERIFY(w->lblPgname->geometry().bottom() < w->lblVersion->y());
    QVERIFY(w->lblVersion->geometry().bottom() < w->lblCopyright->y());
    QVERIFY(w->lblCopyright->geometry().bottom() < w->lblUrl->y());
    QCOMPARE(w->lblCopyright->text(), rightsNotice(QDate::currentDate()));

    QTest::mouseClick(w->lblUrl, Qt::LeftButton);
    // The introduction page shipped beside the program, whole in the box.
    QCOMPARE(platform.opened.size(), 1);
    const QUrl link(platform.opened.front());
    QCOMPARE(link.toLocalFile(), QCoreApplication::applicationDirPath() + "/Help/Sobato.htm");
    QVERIFY(w->lblUrl->geometry().right() < w->lblUrl->parentWidget()->width());
    QVERIFY(w->isVisible());

    QVERIFY(w->btnOk->isDefault());
    QTest::keyClick(w, Qt::Key_Escape); // no button is bound to Esc
    settle();
    QVERIFY(!w.isNull() && w->isVisible());
    QTest::keyClick(w, Qt::Key_Return);
    settle();
    QVERIFY(w.isNull());
}

QTEST_MAIN(VersionTest)
#include "VersionTest.moc"
