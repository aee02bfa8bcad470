// The options window driven headless: what it reads, what OK writes, what
// it applies to the main window at once, and its two failures.
#include "Option.h"
#include "ColorValue.h"
#include "FakePlatform.h"
#include "Settings.h"
#include "controls/RightEdit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sys/stat.h>

using namespace hakomaru;
using namespace hakomaru::test;

namespace {

// What the window applied to the main window, in order.
struct Applied {
    QStringList calls;
    OptionTargets targets() {
        return {
            [this](bool use) { calls << QStringLiteral("useCatDaihiki %1").arg(use); },
            [this](std::int32_t colour) { calls << QStringLiteral("colour %1").arg(colour); },
            [this](bool visible, int height) {
                calls << QStringLiteral("explain %1 %2").arg(visible).arg(height);
            },
        };
    }
};

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class Fixture {
  public:
    Fixture() : path(dir.path().toStdString() + "/hakomaru.ini") {}
    TfrmOption* open() {
        auto* window = new TfrmOption(applied.targets(), path);
        window->show();
        return window;
    }
    QTemporaryDir dir;
    std::filesystem::path path;
    FakePlatform platform;
    Applied applied;
};

} // namespace

class OptionTest : public QObject {
    Q_OBJECT
  private slots:
    void defaultsWithoutFile();
    void remittanceMethodClamped_data();
    void remittanceMethodClamped();
    void lineCount_data();
    void lineCount();
    void storedLineCountKeptWhole_data();
    void storedLineCountKeptWhole();
    void lineCountTakesDigitsOnly();
    void mouseDownSelectsTheLineCount();
    void emptyLineCountWritesNothing();
    void unwritableFileLeavesEverything();
    void colourAppliesAtOnceButCancelKeepsTheFile();
    void cancelledChooserChangesNothing();
    void okAppliesToTheMainWindow_data();
    void okAppliesToTheMainWindow();
    void keys();
    void enterInTheLineCountIsOK();
    void enterOnAFocusedButtonIsThatButton_data();
    void enterOnAFocusedButtonIsThatButton();
    void helpFindsThePage();
};

void OptionTest::defaultsWithoutFile() {
    Fixture f;
    QPointer<TfrmOption> w = f.open();
    QCOMPARE(w->sokinIndex(), 8);
    QVERIFY(w->rgpSokinButtons->button(8)->isChecked());
    QVERIFY(!w->chkUseCatDaihiki->isChecked());
    QVERIFY(!w->chkFromHome->isChecked());
    QVERIFY(!w->chkShowPostal->isChecked());
    QVERIFY(w->chkShowExplain->isChecked());
    QCOMPARE(w->edtLines->text(), QStringLiteral("24"));
    QCOMPARE(w->fontColorValue(), kSystemWindowText);
    QCOMPARE(w->staFontColor->palette().color(QPalette::Window), colorFromValue(kSystemWindowText));
    QCOMPARE(w->PageControl1->currentWidget(), w->tabGeneral);
    QVERIFY(!std::filesystem::exists(f.path)); // reading writes nothing

    // OK creates the file with every value, the default colour included.
    w->btnOKClick();
    settle();
    QVERIFY(w.isNull());
    const std::string bytes = readBytes(f.path);
    QVERIFY(bytes.find("No=8") != std::string::npos);
    QVERIFY(bytes.find("=-2147483640") != std::string::npos);
    const OptionValues saved = Settings(f.path).optionValues();
    QCOMPARE(saved.listRows, 24);
    QVERIFY(saved.showExplain);
    QCOMPARE(f.applied.calls, (QStringList{"explain 1 318", "useCatDaihiki 0"}));
}

void OptionTest::remittanceMethodClamped_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("saved");
    QTest::newRow("12 shows 電信払込") << "12" << 8 << 8;
    QTest::newRow("-5 shows none") << "-5" << -1 << -1;
    QTest::newRow("-1 shows none") << "-1" << -1 << -1;
    QTest::newRow("0") << "0" << 0 << 0;
    QTest::newRow("hexadecimal 0x10") << "0x10" << 8 << 8;
    QTest::newRow("not a number: default") << "abc" << 8 << 8;
}

void OptionTest::remittanceMethodClamped() {
    QFETCH(QString, stored);
    QFETCH(int, shown);
    QFETCH(int, saved);
    Fixture f;
    writeBytes(f.path, "[Type]\r\nNo=" + stored.toStdString() + "\r\n");
    auto* w = f.open();
    QCOMPARE(w->sokinIndex(), shown);
    int checked = 0;
    for (QAbstractButton* b : w->rgpSokinButtons->buttons())
        checked += b->isChecked();
    QCOMPARE(checked, shown < 0 ? 0 : 1);
    w->btnOKClick();
    settle();
    QCOMPARE(Settings(f.path).remittanceMethod(), saved);
}

void OptionTest::lineCount_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("saved");
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("leading zero") << "07" << 7;
    QTest::newRow("99") << "99" << 99;
}

void OptionTest::lineCount() {
    QFETCH(QString, text);
    QFETCH(int, saved);
    Fixture f;
    auto* w = f.open();
    w->edtLines->clear();
    QTest::keyClicks(w->edtLines, text);
    QCOMPARE(w->edtLines->text(), text);
    w->btnOKClick();
    settle();
    QVERIFY(f.platform.errors.isEmpty());
    QCOMPARE(Settings(f.path).optionValues().listRows, saved);
}

void OptionTest::storedLineCountKeptWhole_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("saved");      // after OK without touching the field
    QTest::addColumn<QString>("edited"); // "7" typed at the end, Backspace, "56"
    QTest::newRow("24") << 24 << 24 << "25";
    QTest::newRow("three digits") << 100 << 100 << "10";
    QTest::newRow("negative") << -5 << -5 << "-5";
    QTest::newRow("negative, three characters") << -12 << -12 << "-1";
}

void OptionTest::storedLineCountKeptWhole() {
    // The two-character limit is for typing: a longer stored count is shown
    // and saved as it is, and once shortened the field takes two again.
    QFETCH(int, stored);
    QFETCH(int, saved);
    QFETCH(QString, edited);
    Fixture f;
    OptionValues values;
    values.listRows = stored;
    Settings(f.path).saveOptionValues(values);
    auto* w = f.open();
    QCOMPARE(w->edtLines->text(), QString::number(stored));
    w->btnOKClick();
    settle();
    QCOMPARE(Settings(f.path).optionValues().listRows, saved);

    w = f.open();
    QTest::keyClick(w->edtLines, Qt::Key_End);
    QTest::keyClicks(w->edtLines, "7");
    QCOMPARE(w->edtLines->text(), QString::number(stored));
    QTest::keyClick(w->edtLines, Qt::Key_Backspace);
    QTest::keyClicks(w->edtLines, "56");
    QCOMPARE(w->edtLines->text(), edited);
    delete w;
}

void OptionTest::lineCountTakesDigitsOnly() {
    Fixture f;
    auto* w = f.open();
    w->edtLines->clear();
    // Letters, minus, full stop, comma and asterisk are all dropped, though
    // the edit itself would let the last four through; at most two digits.
    QTest::keyClicks(w->edtLines, "a-.,*1x+2 3");
    QCOMPARE(w->edtLines->text(), QStringLiteral("12"));
    QTest::keyClick(w->edtLines, Qt::Key_Backspace);
    QCOMPARE(w->edtLines->text(), QStringLiteral("1"));
    delete w;
}

void OptionTest::mouseDownSelectsTheLineCount() {
    Fixture f;
    auto* w = f.open();
    // Any button: the right one too, which never reaches the click behaviour.
    QTest::mousePress(w->edtLines, Qt::RightButton, {}, QPoint(3, 5));
    QCOMPARE(w->edtLines->selectedText(), QStringLiteral("24"));
    QCOMPARE(w->edtLines->cursorPosition(), 0);
    QTest::mouseRelease(w->edtLines, Qt::RightButton, {}, QPoint(3, 5));
    delete w;
}

void OptionTest::emptyLineCountWritesNothing() {
    Fixture f;
    writeBytes(f.path, "[Settings]\r\n行数=30\r\n");
    const std::string before = readBytes(f.path);
    QPointer<TfrmOption> w = f.open();
    w->chkShowExplain->setChecked(false);
    w->edtLines->clear();
    w->btnOKClick();
    settle();
    QCOMPARE(f.platform.errors, QStringList{QStringLiteral("'' は整数ではありません")});
    QVERIFY(!w.isNull() && w->isVisible()); // stays open for a correction
    QCOMPARE(readBytes(f.path), before);
    QVERIFY(f.applied.calls.isEmpty());
    delete w;
}

void OptionTest::unwritableFileLeavesEverything() {
    Fixture f;
    // A settings path below a regular file cannot be created, even by root.
    writeBytes(f.path, "x");
    const std::filesystem::path unwritable = f.path / "hakomaru.ini";
    QPointer<TfrmOption> w = new TfrmOption(f.applied.targets(), unwritable);
    w->show();
    w->chkShowExplain->setChecked(false);
    w->btnOKClick();
    settle();
    QCOMPARE(f.platform.errors.size(), 1);
    QCOMPARE(f.platform.errors.front(),
             QStringLiteral("ファイル %1 を作成できません（%2）")
                 .arg(QString::fromStdString(unwritable.string()),
                      QStringLiteral("パスの途中にフォルダーでないものがあります")));
    QVERIFY(!w.isNull() && w->isVisible());
    QVERIFY(f.applied.calls.isEmpty());
    delete w;
}

void OptionTest::colourAppliesAtOnceButCancelKeepsTheFile() {
    Fixture f;
    f.platform.colorAnswer = QColor(255, 0, 0);
    QPointer<TfrmOption> w = f.open();
    QTest::mouseClick(w->staFontColor, Qt::LeftButton);
    QCOMPARE(f.platform.colorRequests, 1);
    QCOMPARE(w->fontColorValue(), 0x0000FF);
    QCOMPARE(w->staFontColor->palette().color(QPalette::Window), QColor(255, 0, 0));
    QCOMPARE(f.applied.calls, QStringList{"colour 255"});

    w->btnCancel->click();
    settle();
    QVERIFY(w.isNull());
    QVERIFY(!std::filesystem::exists(f.path));
    // Reopened, the swatch shows the saved colour, not the one in use.
    auto* again = f.open();
    QCOMPARE(again->fontColorValue(), kSystemWindowText);
    // OK saves a chosen colour.
    f.platform.colorAnswer = QColor(0, 128, 255);
    again->staFontColorClick();
    again->btnOKClick();
    settle();
    QCOMPARE(Settings(f.path).optionValues().listTextColor, 0xFF8000);
}

void OptionTest::cancelledChooserChangesNothing() {
    Fixture f;
    auto* w = f.open();
    f.platform.colorAnswer.reset();
    w->staFontColorClick();
    QCOMPARE(f.platform.colorRequests, 1);
    QCOMPARE(w->fontColorValue(), kSystemWindowText);
    QVERIFY(f.applied.calls.isEmpty());
    delete w;
}

void OptionTest::okAppliesToTheMainWindow_data() {
    QTest::addColumn<bool>("showExplain");
    QTest::addColumn<bool>("useCatDaihiki");
    QTest::addColumn<QStringList>("calls");
    QTest::newRow("explanation hidden, 代引 off")
        << false << false << QStringList{"explain 0 286", "useCatDaihiki 0"};
    QTest::newRow("explanation shown, 代引 on")
        << true << true << QStringList{"explain 1 318", "useCatDaihiki 1"};
}

void OptionTest::okAppliesToTheMainWindow() {
    QFETCH(bool, showExplain);
    QFETCH(bool, useCatDaihiki);
    QFETCH(QStringList, calls);
    Fixture f;
    OptionValues stored;
    stored.showExplain = !showExplain;
    stored.useCatDaihiki = !useCatDaihiki;
    stored.homeShipping = true;
    stored.showPostalAlways = true;
    Settings(f.path).saveOptionValues(stored);

    auto* w = f.open();
    QVERIFY(w->chkFromHome->isChecked());
    QVERIFY(w->chkShowPostal->isChecked());
    QCOMPARE(w->chkShowExplain->isChecked(), !showExplain);
    w->chkShowExplain->setChecked(showExplain);
    w->chkUseCatDaihiki->setChecked(useCatDaihiki);
    w->btnOKClick();
    settle();
    QCOMPARE(f.applied.calls, calls);
    const OptionValues saved = Settings(f.path).optionValues();
    QCOMPARE(saved.showExplain, showExplain);
    QCOMPARE(saved.useCatDaihiki, useCatDaihiki);
    QVERIFY(saved.homeShipping && saved.showPostalAlways);
}

void OptionTest::keys() {
    Fixture f;
    QPointer<TfrmOption> w = f.open();
    // No button is bound to Esc; Enter is OK.
    QTest::keyClick(w, Qt::Key_Escape);
    settle();
    QVERIFY(!w.isNull() && w->isVisible());
    QVERIFY(!std::filesystem::exists(f.path));
    QTest::keyClick(w, Qt::Key_Return);
    settle();
    QVERIFY(w.isNull());
    QVERIFY(std::filesystem::exists(f.path));
}

void OptionTest::enterInTheLineCountIsOK() {
    Fixture f;
    QPointer<TfrmOption> w = f.open();
    w->edtLines->clear();
    QTest::keyClicks(w->edtLines, "9");
    // Shift+Enter is no button's; plain Enter and the keypad's Enter are OK.
    QTest::keyClick(w->edtLines, Qt::Key_Return, Qt::ShiftModifier);
    settle();
    QVERIFY(!w.isNull());
    QCOMPARE(w->edtLines->text(), QStringLiteral("9"));
    QTest::keyClick(w->edtLines, Qt::Key_Enter, Qt::KeypadModifier);
    settle();
    QVERIFY(w.isNull());
    QCOMPARE(Settings(f.path).optionValues().listRows, 9);
    QCOMPARE(f.applied.calls, (QStringList{"explain 1 318", "useCatDaihiki 0"}));
}

void OptionTest::enterOnAFocusedButtonIsThatButton_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("helpOpened");
    QTest::newRow("OK") << "btnOK" << true << true << 0;
    QTest::newRow("キャンセル") << "btnCancel" << false << true << 0;
    QTest::newRow("ヘルプ") << "btnHelp" << false << false << 1;
}

void OptionTest::enterOnAFocusedButtonIsThatButton() {
    // A focused button takes Enter for itself, as the keyboard user expects:
    // Enter on キャンセル must not save.
    QFETCH(QString, button);
    QFETCH(bool, saved);
    QFETCH(bool, closed);
    QFETCH(int, helpOpened);
    Fixture f;
    QPointer<TfrmOption> w = f.open();
    auto* target = w->findChild<QPushButton*>(button);
    QVERIFY(target);
    QApplication::setActiveWindow(w);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Return);
    settle();
    QCOMPARE(std::filesystem::exists(f.path), saved);
    QCOMPARE(w.isNull(), closed);
    QCOMPARE(f.platform.opened.size(), helpOpened);
    if (!closed) {
        // Focus elsewhere again: Enter is OK's.
        w->chkFromHome->setFocus();
        QTest::keyClick(w->chkFromHome, Qt::Key_Return);
        settle();
        QVERIFY(w.isNull());
        QVERIFY(std::filesystem::exists(f.path));
    }
}

void OptionTest::helpFindsThePage() {
    Fixture f;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir(f.dir.path()).mkdir("Help"));
    writeBytes(f.path.parent_path() / "Help" / "howto.htm", "<html></html>");
    QVERIFY(QDir::setCurrent(f.dir.path()));
    auto* w = f.open();
    w->btnHelp->click();
    // A FIFO in the page's place is not handed to a browser to wait on.
    std::filesystem::remove(f.path.parent_path() / "Help" / "howto.htm");
    QCOMPARE(::mkfifo((f.path.parent_path() / "Help" / "howto.htm").c_str(), 0600), 0);
    w->btnHelp->click();
    QDir::setCurrent(previous);
    QCOMPARE(f.platform.opened, QStringList{QDir(f.dir.path()).filePath("Help/howto.htm")});
    QVERIFY(w->isVisible());
    delete w;
}

QTEST_MAIN(OptionTest)
#include "OptionTest.moc"
