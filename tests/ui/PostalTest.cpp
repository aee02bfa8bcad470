// The postal window driven as a user drives it, opened from the main
// window's menu: weight picks, box clicks, typing, pointer moves, the copy
// command, docking, closing and ending the program.
#include "Postal.h"
#include "Main.h"
#include "Settings.h"
#include "UiTestSupport.h"
#include "controls/OwnerDrawComboBox.h"
#include "selection/PostalSelection.h"
#include "text/Sjis.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include <memory>

using namespace hakomaru;
using namespace hakomaru::test;

namespace {

const QString kYenSign = QStringLiteral("¥");

// Fixed-width fee fields, right-aligned as the tariff file holds them.
QString fields(std::initializer_list<int> fees, int width) {
    QString row;
    for (int fee : fees)
        row += QString::number(fee).rightJustified(width, u' ');
    return row;
}

// The postal part of the tariff, appended to the main window's test tariff.
// Letter mail by row: 80, 90 standard; 120 .. 1450 non-standard.
QString postalTariff() {
    return QStringLiteral("\n[普通郵便]\n料金=000") +
           fields({0, 80, 90, 0, 120, 140, 160, 200, 240, 270, 390, 580, 700, 850, 1000, 1150, 1300,
                   1450},
                  4) +
           QStringLiteral("\n翌朝10時=000") +
           fields({0, 95, 105, 0, 135, 155, 175, 215, 255, 285, 405, 595, 715, 865, 1015, 1165,
                   1315, 1465},
                  4) +
           QStringLiteral("\n代引料金=260\n"
                          "[冊子小包]\n料金=180200215300340350400450500550\n着払い=25\n"
                          "速達1=300\n速達2=450\n配達日指定=60\n簡易書留=300\n書留=440\n"
                          "代引料金=270\n"
                          "[市内特別]\n料金1=10\n料金2=15\n料金3=20\n料金4=25\n料金5=35\n"
                          "料金6=40\n料金7=45\n"
                          "[普通速達]\n料金1=280\n料金2=380\n料金3=640\n"
                          "[書留]\n料金=430\n[本人限定]\n料金=100\n"
                          "[電信払込]\n料金0=0\n料金1=150\n料金2=200\n料金3=250\n料金4=500\n"
                          "料金5=520\n料金6=540\n料金7=600\n");
}

} // namespace

class PostalTest : public QObject {
    Q_OBJECT

    RecordingPlatform platform_;
    std::unique_ptr<ProgramFolder> folder_;
    std::unique_ptr<TfrmMain> main_;
    TfrmPostal* postal_ = nullptr;

    void appendToTariff(const QString& text) {
        QFile file(folder_->path("Charge.ini"));
        QVERIFY(file.open(QIODevice::Append));
        QString crlf = text;
        crlf.replace('\n', QStringLiteral("\r\n"));
        file.write(QByteArray::fromStdString(toSjis(crlf.toStdString())));
    }
    void writeSettings(const QString& extra = {}) {
        // The main window away from the screen's left edge, so the postal
        // window beside it is on the screen.
        folder_->writeSjis("hakomaru.ini",
                           QStringLiteral("[Settings]\nPos_Top=100\nPos_Left=300\n") + extra);
    }
    void startMain() {
        main_ = std::make_unique<TfrmMain>(folder_->settingsPath(), folder_->tariffPath());
        installPostalWindow(*main_);
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    }
    QList<TfrmPostal*> postalWindows() const {
        return main_->findChildren<TfrmPostal*>(QString(), Qt::FindDirectChildrenOnly);
    }
    // Opens a postal window with the main window's menu command.
    void open() {
        if (!main_)
            startMain();
        main_->findChild<QAction*>("mnuMain_View_Postal")->trigger();
        QVERIFY(!postalWindows().isEmpty());
        postal_ = postalWindows().last();
        QVERIFY(QTest::qWaitForWindowExposed(postal_));
    }
    template <class T = QWidget> T* w(const char* name) const {
        auto* found = postal_->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QCheckBox* box(const char* name) const { return w<QCheckBox>(name); }
    QString text(const char* label) const { return w<QLabel>(label)->text(); }
    QComboBox* weights() const { return w<QComboBox>("cmbWeightNormal"); }
    QLineEdit* amount() const { return w<QLineEdit>("edtDaihiki"); }
    QString detailLine() const { return main_->lblDetail->text(); }
    QString explanation() const { return main_->stExplain->text(); }
    void showPage(int index) { w<QTabWidget>("pgPostal")->setCurrentIndex(index); }
    // Clicks a box on whichever page holds it.
    void clickBox(const char* name) {
        QCheckBox* b = box(name);
        showPage(b->parentWidget() == w("tabNormal") ? 0 : 1);
        click(b);
    }
    // A free spot of a page, away from its boxes and its total. Each call
    // takes another spot: a move to where the pointer already is is no move.
    void hoverPage(const char* page) {
        showPage(QByteArray(page) == "tabNormal" ? 0 : 1);
        static int step = 0;
        step = (step + 1) % 20;
        QTest::mouseMove(w(page), QPoint(140 + step, 82));
    }
    void copy() { postal_->findChild<QAction*>("mnuPopup_Line")->trigger(); }
    Settings settings() const { return Settings(folder_->settingsPath()); }
    QStringList disabledBoxes(const char* page) const {
        QStringList names;
        for (QCheckBox* b : w(page)->findChildren<QCheckBox*>())
            if (!b->isEnabled())
                names << b->objectName();
        names.sort();
        return names;
    }
    QStringList checkedBoxes(const char* page) const {
        QStringList names;
        for (QCheckBox* b : w(page)->findChildren<QCheckBox*>())
            if (b->isChecked())
                names << b->objectName();
        names.sort();
        return names;
    }

  private slots:
    void init() {
        platform_ = {};
        setPlatform(&platform_);
        folder_ = std::make_unique<ProgramFolder>();
        appendToTariff(postalTariff());
        writeSettings();
    }
    void cleanup() {
        main_.reset();
        postal_ = nullptr;
        folder_.reset();
        setPlatform(nullptr);
    }

    // ---- opening ------------------------------------------------------------

    void opensBesideTheMainWindowWithNothingQuoted() {
        open();
        QCOMPARE(postal_->windowTitle(), QStringLiteral("普通郵便・冊子小包"));
        QCOMPARE(postal_->size(), QSize(202, 218));
        QCOMPARE(postal_->minimumSize(), postal_->maximumSize());
        QCOMPARE(postal_->pos(), QPoint(90, 100));
        QVERIFY(main_->Timer->isActive());
        QCOMPARE(main_->Timer->interval(), 100);
        QCOMPARE(weights()->count(), 18);
        QCOMPARE(weights()->currentIndex(), 0);
        QCOMPARE(weights()->currentText(), QStringLiteral("定形"));
        QCOMPARE(amount()->text(), QStringLiteral("0"));
        QCOMPARE(text("lblTotal"), kYenSign + "0");
        QCOMPARE(text("lblB_Total"), kYenSign + "0");
        QVERIFY(checkedBoxes("tabNormal").isEmpty());
        QVERIFY(disabledBoxes("tabNormal").isEmpty());
        QVERIFY(disabledBoxes("tabBooks").isEmpty());
        QCOMPARE(w<QTabWidget>("pgPostal")->currentWidget(), w("tabNormal"));
        QVERIFY(settings().postalAtStart().showPostal);
        QVERIFY(platform_.errors.isEmpty());

        pick(weights(), 1);
        QCOMPARE(text("lblTotal"), kYenSign + "80");
        QCOMPARE(text("lblB_Total"), kYenSign + "0");
        QCOMPARE(detailLine(), QStringLiteral("送料¥80"));
    }

    // Every menu use opens a further window; the Timer docks the newest.
    void eachMenuUseOpensAnotherWindow() {
        open();
        TfrmPostal* first = postal_;
        open();
        QVERIFY(postal_ != first);
        QCOMPARE(postalWindows().size(), 2);
        main_->move(400, 150);
        QTRY_COMPARE_WITH_TIMEOUT(postal_->pos(), QPoint(190, 150), 1000);
        QCOMPARE(first->pos(), QPoint(90, 100));
        // Closing any of them stops the docking.
        QVERIFY(first->close());
        QVERIFY(!main_->Timer->isActive());
        QTRY_COMPARE(postalWindows().size(), 1);
    }

    // ---- the weight list and its totals -------------------------------------------

    void weightRows_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("book");
        QTest::addColumn<QString>("detail");
        QTest::newRow("heading 定形") << 0 << kYenSign + "0" << kYenSign + "0" << QString();
        QTest::newRow("standard 50g") << 2 << kYenSign + "90" << kYenSign + "0"
                                      << "送料¥90";
        QTest::newRow("heading 定形外") << 3 << kYenSign + "0" << kYenSign + "0" << QString();
        QTest::newRow("50g") << 4 << kYenSign + "120" << kYenSign + "180"
                             << "送料¥180";
        QTest::newRow("150g shares the 50g book fee") << 7 << kYenSign + "200" << kYenSign + "180"
                                                      << "送料¥180";
        QTest::newRow("3kg") << 16 << kYenSign + "1,300" << kYenSign + "550"
                             << "送料¥550";
        QTest::newRow("4kg") << 17 << kYenSign + "1,450" << QStringLiteral("取扱不可")
                             << "送料¥1,450";
    }
    void weightRows() {
        QFETCH(int, row);
        QFETCH(QString, letter);
        QFETCH(QString, book);
        QFETCH(QString, detail);
        open();
        main_->lblDetail->clear();
        pick(weights(), row);
        QCOMPARE(text("lblTotal"), letter);
        QCOMPARE(text("lblB_Total"), book);
        QCOMPARE(detailLine(), detail);
        // Both totals keep their right edge whatever their width.
        for (const char* total : {"lblTotal", "lblB_Total"}) {
            const QRect r = w(total)->geometry();
            QCOMPARE(r.x() + r.width(), 181);
            QCOMPARE(r.y(), 103);
        }
    }

    // The closed list picks rows with the keyboard too, and each pick runs
    // the weight rule.
    void keysOnTheClosedWeightList() {
        open();
        pick(weights(), 9);
        clickBox("chkInCity");
        weights()->setFocus();
        QTest::keyClick(weights(), Qt::Key_Down);
        QCOMPARE(weights()->currentIndex(), 10);
        QVERIFY(!box("chkInCity")->isChecked());
        QVERIFY(!box("chkInCity")->isEnabled());
        QCOMPARE(text("lblTotal"), kYenSign + "390");
        QCOMPARE(text("lblB_Total"), kYenSign + "300");
        QTest::keyClick(weights(), Qt::Key_End);
        QCOMPARE(text("lblB_Total"), QStringLiteral("取扱不可"));
        QTest::keyClick(weights(), Qt::Key_Home);
        QCOMPARE(weights()->currentIndex(), 0);
        QVERIFY(box("chkInCity")->isEnabled());
        QCOMPARE(text("lblTotal"), kYenSign + "0");
    }

    void inCityAcrossTheWeightLimit() {
        open();
        pick(weights(), 9);
        clickBox("chkInCity");
        QCOMPARE(text("lblTotal"), kYenSign + "225");
        QCOMPARE(detailLine(), QStringLiteral("送料¥270 - 市内特別¥45"));
        QCOMPARE(disabledBoxes("tabNormal"), QStringList{"chkGentei"});

        pick(weights(), 10);
        QVERIFY(!box("chkInCity")->isChecked());
        QCOMPARE(disabledBoxes("tabNormal"), QStringList{"chkInCity"}); // 本人限定 free again
        QCOMPARE(text("lblTotal"), kYenSign + "390");
        QCOMPARE(text("lblB_Total"), kYenSign + "300");
        QCOMPARE(detailLine(), QStringLiteral("送料¥300")); // the book parcel ran last

        pick(weights(), 9);
        QVERIFY(box("chkInCity")->isEnabled());
        QVERIFY(!box("chkInCity")->isChecked());
        QCOMPARE(text("lblTotal"), kYenSign + "270");
        QVERIFY(platform_.errors.isEmpty());
    }

    void weightListRowColours_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QColor>("background");
        QTest::addColumn<QColor>("text");
        const QColor listText(0xFF, 0x00, 0x00); // the settings value 0x000000FF
        QTest::newRow("heading 定形")
            << 0 << false << QColor(0x00, 0x80, 0x00) << QColor(Qt::white);
        QTest::newRow("standard") << 2 << false << QColor(0xEA, 0xFF, 0xD8) << listText;
        QTest::newRow("heading 定形外")
            << 3 << false << QColor(0xCD, 0x5C, 0x5C) << QColor(Qt::white);
        QTest::newRow("non-standard") << 17 << false << QColor(0xFF, 0xF9, 0xFF) << listText;
        const QPalette p = QGuiApplication::palette();
        QTest::newRow("selected heading")
            << 0 << true << p.color(QPalette::Highlight) << p.color(QPalette::HighlightedText);
    }
    void weightListRowColours() {
        QFETCH(int, row);
        QFETCH(bool, selected);
        QFETCH(QColor, background);
        QFETCH(QColor, text);
        open();
        main_->setListTextColor(0x000000FF);
        auto* list = static_cast<OwnerDrawComboBox*>(weights());
        QVERIFY(list->onDrawItem);
        QCOMPARE(list->itemHeight(), 13);
        QImage image(120, 13, QImage::Format_RGB32);
        image.fill(Qt::black);
        {
            QPainter painter(&image);
            list->onDrawItem(painter, row, image.rect(), selected);
        }
        // The row is filled, and its caption starts 12 pixels in.
        bool textSeen = false;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (x < 12)
                    QCOMPARE(c, background);
                const int d = std::abs(c.red() - text.red()) + std::abs(c.green() - text.green()) +
                              std::abs(c.blue() - text.blue());
                textSeen = textSeen || d < 60;
            }
        QVERIFY(textSeen);
    }

    // ---- the window shows its model -------------------------------------------

    // Each kind of event, made as a person makes it, leaves the controls as
    // the same events leave a model of the window: the rules themselves are
    // tested on the model (tests/calc/selection/PostalSelectionTest.cpp).
    void showsTheModelAfterEachKindOfEvent_data() {
        QTest::addColumn<QStringList>("events");
        QTest::newRow("letter boxes")
            << QStringList{"chkSokutatsu", "chkHaitatsu", "chkSokutatsu", "chkGentei"};
        QTest::newRow("nested") << QStringList{"chkGentei", "chkKakitome", "chkB_Cyaku"};
        QTest::newRow("weights") << QStringList{"w9", "chkInCity", "w10", "w9"};
        QTest::newRow("amount") << QStringList{"edtDaihiki 8", "chkB_Kani", "edtDaihiki 250"};
        QTest::newRow("book boxes") << QStringList{"chkB_Shitei", "chkB_Daihiki", "chkB_Shitei"};
    }
    void showsTheModelAfterEachKindOfEvent() {
        QFETCH(QStringList, events);
        open();
        PostalSelection model;
        const QStringList letter{"chkInCity",       "chkSokutatsu", "chkHaitatsu", "chk10clock",
                                 "chkKaniKakitome", "chkKakitome",  "chkGentei",   "chkDaihiki"};
        const QStringList book{"chkB_Cyaku", "chkB_Sokutatsu", "chkB_Shitei",
                               "chkB_Kani",  "chkB_Kakitome",  "chkB_Daihiki"};
        for (const QString& event : events) {
            const QString value = event.section(' ', 1);
            if (event.startsWith('w')) {
                pick(weights(), event.mid(1).toInt());
                model.chooseWeight(event.mid(1).toInt());
            } else if (event.startsWith("edt")) {
                typeInto(amount(), value);
                for (qsizetype n = 1; n <= value.size(); ++n)
                    model.typeAmount(value.left(n).toStdString());
            } else if (letter.contains(event)) {
                clickBox(qPrintable(event));
                model.click(static_cast<LetterOption>(letter.indexOf(event)));
            } else {
                clickBox(qPrintable(event));
                model.click(static_cast<BookOption>(book.indexOf(event)));
            }
            const auto same = [&](const QString& name, BoxState state) {
                QVERIFY2(box(qPrintable(name))->isChecked() == state.checked,
                         qPrintable(event + " " + name));
                QVERIFY2(box(qPrintable(name))->isEnabled() == state.enabled,
                         qPrintable(event + " " + name));
            };
            for (qsizetype i = 0; i < letter.size(); ++i)
                same(letter[i], model.box(static_cast<LetterOption>(i)));
            for (qsizetype i = 0; i < book.size(); ++i)
                same(book[i], model.box(static_cast<BookOption>(i)));
            QCOMPARE(weights()->currentIndex(), model.weightRow());
            QCOMPARE(amount()->text().toStdString(), model.amountText());
        }
        QVERIFY(platform_.errors.isEmpty());
    }

    // 本人限定受取 brings 書留 with it, and 書留 taken off takes it along.
    void genteiAndKakitomeNest() {
        open();
        pick(weights(), 1);
        clickBox("chkGentei");
        QVERIFY(box("chkKakitome")->isChecked());
        QCOMPARE(disabledBoxes("tabNormal"), (QStringList{"chk10clock", "chkDaihiki", "chkHaitatsu",
                                                          "chkInCity", "chkKaniKakitome"}));
        QCOMPARE(text("lblTotal"), kYenSign + "610");
        QCOMPARE(detailLine(), QStringLiteral("送料¥80 + 書留¥430 + 本人限定¥100"));

        clickBox("chkKakitome");
        QVERIFY(checkedBoxes("tabNormal").isEmpty());
        QVERIFY(disabledBoxes("tabNormal").isEmpty());
        QCOMPARE(text("lblTotal"), kYenSign + "80");
        QCOMPARE(detailLine(), QStringLiteral("送料¥80"));
        QVERIFY(platform_.errors.isEmpty());
    }

    // ---- the amount ---------------------------------------------------------------

    void amountKeysAndClick() {
        open();
        amount()->setText(QStringLiteral("12"));
        QTest::mouseClick(amount(), Qt::LeftButton);
        QCOMPARE(amount()->selectedText(), QStringLiteral("12"));
        QTest::keyClicks(amount(), QStringLiteral("a-1+.5,*"));
        QCOMPARE(amount()->text(), QStringLiteral("1.5"));
        QTest::keyClick(amount(), Qt::Key_Backspace);
        QCOMPARE(amount()->text(), QStringLiteral("1."));
    }

    void amountLimits_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("finalText");
        QTest::addColumn<bool>("registered");
        QTest::addColumn<bool>("refused");
        QTest::newRow("6") << "6"
                           << "6" << true << false;
        QTest::newRow("200.5") << "200.5"
                               << "0" << false << true;
        QTest::newRow("two points") << "6.."
                                    << "6.." << true << false; // half-typed: kept
    }
    void amountLimits() {
        QFETCH(QString, typed);
        QFETCH(QString, finalText);
        QFETCH(bool, registered);
        QFETCH(bool, refused);
        open();
        pick(weights(), 4);
        typeInto(amount(), typed);
        QCOMPARE(amount()->text(), finalText);
        QCOMPARE(box("chkKakitome")->isChecked(), registered);
        QCOMPARE(box("chkB_Kakitome")->isChecked(), registered);
        // Each 書留 ran its own rule and refresh.
        QCOMPARE(box("chkKaniKakitome")->isEnabled(), !registered);
        QCOMPARE(box("chkB_Kani")->isEnabled(), !registered);
        QCOMPARE(text("lblTotal"), kYenSign + (registered ? "550" : "120"));
        QCOMPARE(text("lblB_Total"), kYenSign + (registered ? "620" : "180"));
        QCOMPARE(platform_.messages,
                 refused ? QStringList{QStringLiteral("代引き可能な金額の上限は200万円です。")}
                         : QStringList{});
        QVERIFY(platform_.errors.isEmpty());
    }

    // The remittance fee class changes from 3 to 4 between 10 and 100.
    void cashOnDeliveryOnBothPagesFollowsTheAmount() {
        open();
        pick(weights(), 4);
        typeInto(amount(), QStringLiteral("10"));
        clickBox("chkDaihiki");
        clickBox("chkB_Daihiki");
        QCOMPARE(text("lblTotal"), kYenSign + "1,060");
        QCOMPARE(text("lblB_Total"), kYenSign + "1,140");
        QCOMPARE(disabledBoxes("tabNormal"),
                 (QStringList{"chkGentei", "chkHaitatsu", "chkKaniKakitome"}));

        QTest::keyClick(amount(), Qt::Key_End);
        QTest::keyClick(amount(), Qt::Key_0);
        QCOMPARE(amount()->text(), QStringLiteral("100"));
        QCOMPARE(text("lblTotal"), kYenSign + "1,310");
        QCOMPARE(text("lblB_Total"), kYenSign + "1,390");
        QCOMPARE(postal_->letterDetail(), "送料¥120 + 書留¥430 + 代引手数料¥260 + 送金手数料¥500");
        QCOMPARE(postal_->bookDetail(), "送料¥180 + 書留¥440\r\n + 代引手数料¥270\r\n + "
                                        "送金手数料¥500\r\n");
        QCOMPARE(detailLine(), QStringLiteral("送料¥180 + 書留¥440 + 代引手数料¥270 + "
                                              "送金手数料¥500"));
        QVERIFY(platform_.errors.isEmpty());
    }

    // ---- pointer, explanations and the copy command --------------------------

    void hoverExplainsAndSwitchesTheDetail() {
        open();
        pick(weights(), 4);
        clickBox("chkSokutatsu");
        clickBox("chkB_Cyaku");
        QCOMPARE(detailLine(), QStringLiteral("送料¥180 + 着払¥25"));

        showPage(0);
        QTest::mouseMove(box("chkKakitome"), QPoint(20, 5));
        QCOMPARE(explanation(),
                 QStringLiteral("商品破損時の損害賠償額の上限が500万円になります。"));
        QCOMPARE(detailLine(), QStringLiteral("送料¥180 + 着払¥25")); // unchanged
        hoverPage("tabNormal");
        QCOMPARE(postal_->hoverPage(), 1);
        QCOMPARE(explanation(), QString());
        QCOMPARE(detailLine(), QStringLiteral("送料¥120 + 速達¥280"));

        showPage(1);
        QTest::mouseMove(box("chkB_Kakitome"), QPoint(20, 6));
        QCOMPARE(explanation(),
                 QStringLiteral("商品破損時の損害賠償額の上限が500万円となります。"));
        hoverPage("tabBooks");
        QCOMPARE(postal_->hoverPage(), 2);
        QCOMPARE(detailLine(), QStringLiteral("送料¥180 + 着払¥25"));
        QCOMPARE(explanation(), // the book page keeps the explanation
                 QStringLiteral("商品破損時の損害賠償額の上限が500万円となります。"));

        // Over a disabled box the pointer is on the page itself.
        showPage(0);
        QVERIFY(!box("chk10clock")->isEnabled());
        QTest::mouseMove(box("chkInCity"), QPoint(20, 5));
        QVERIFY(!explanation().isEmpty());
        QTest::mouseMove(box("chk10clock"), QPoint(20, 5));
        QCOMPARE(postal_->hoverPage(), 1);
        QCOMPARE(explanation(), QString());
    }

    // The page's popup menu opens wherever the right button is pressed on
    // the page: on its free surface, on a box, disabled or not, and on the
    // total.
    void popupMenuAnywhereOnAPage_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("page") << "tabNormal";
        QTest::newRow("box") << "chkKakitome";
        QTest::newRow("disabled box") << "chk10clock";
        QTest::newRow("total") << "lblTotal";
        QTest::newRow("book page box") << "chkB_Daihiki";
    }
    void popupMenuAnywhereOnAPage() {
        QFETCH(QString, target);
        open();
        clickBox("chkSokutatsu");
        QWidget* widget = w(qPrintable(target));
        showPage(widget == w("tabNormal") || widget->parentWidget() == w("tabNormal") ? 0 : 1);
        // The event the toolkit sends to the control under the pointer.
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(3, 3),
                                widget->mapToGlobal(QPoint(3, 3)));
        QApplication::sendEvent(widget, &event);
        auto* menu = postal_->findChild<QMenu*>("mnuPopup");
        QTRY_VERIFY(menu->isVisible());
        menu->hide();
    }

    void switchingTabsRunsNothing() {
        open();
        pick(weights(), 4);
        hoverPage("tabNormal");
        main_->lblDetail->setText(QStringLiteral("kept"));
        QTabBar* bar = w<QTabWidget>("pgPostal")->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
        QCOMPARE(w<QTabWidget>("pgPostal")->currentWidget(), w("tabBooks"));
        QCOMPARE(detailLine(), QStringLiteral("kept"));
        QCOMPARE(postal_->hoverPage(), 1);
    }

    void copies() {
        open();
        copy();
        QCOMPARE(platform_.clipboard, QStringList{"\r\n"}); // before any hover

        pick(weights(), 1);
        clickBox("chkSokutatsu");
        hoverPage("tabNormal");
        copy();
        QCOMPARE(platform_.clipboard.last(), QStringLiteral("送料¥80 + 速達¥280 = 合計¥360\r\n"));

        pick(weights(), 4);
        hoverPage("tabBooks");
        copy();
        QCOMPARE(platform_.clipboard.last(), QStringLiteral("送料¥180 = 合計¥180\r\n"));

        pick(weights(), 9);
        clickBox("chkB_Sokutatsu");
        clickBox("chkB_Kani");
        hoverPage("tabBooks");
        copy();
        QCOMPARE(platform_.clipboard.last(),
                 QStringLiteral("送料¥215 + 速達¥300\r\n + 簡易書留¥300\r\n = 合計¥815\r\n"));
        // A later quote replaces the detail the copy uses.
        pick(weights(), 8);
        copy();
        QCOMPARE(platform_.clipboard.last(),
                 QStringLiteral("送料¥200 + 速達¥300\r\n + 簡易書留¥300\r\n = 合計¥800\r\n"));
    }

    // A total without a quote is copied without the detail of an earlier
    // quote, so the copy never pairs an old detail with a new total.
    void copyWithoutAQuoteHasNoOldDetail_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("copied");
        QTest::newRow("letter heading") << "tabNormal" << 3 << QStringLiteral(" = 合計¥0\r\n");
        QTest::newRow("book standard size") << "tabBooks" << 2 << QStringLiteral(" = 合計¥0\r\n");
        QTest::newRow("book 4kg") << "tabBooks" << 17 << QStringLiteral(" = 合計取扱不可\r\n");
    }
    void copyWithoutAQuoteHasNoOldDetail() {
        QFETCH(QString, page);
        QFETCH(int, row);
        QFETCH(QString, copied);
        open();
        pick(weights(), 5);
        pick(weights(), row);
        hoverPage(qPrintable(page));
        copy();
        QCOMPARE(platform_.clipboard.last(), copied);
    }

    // ---- failures -----------------------------------------------------------

    void failingQuoteStopsTheWeightChange() {
        open();
        pick(weights(), 4);
        folder_->patchTariff(QStringLiteral("料金=000   0  80"),
                             QStringLiteral("料金=000   0  8x"));
        pick(weights(), 1);
        QCOMPARE(platform_.errors, QStringList{"'  8x' は整数ではありません"});
        QCOMPARE(text("lblTotal"), kYenSign + "120");
        QCOMPARE(text("lblB_Total"), kYenSign + "180"); // the book refresh was skipped
    }

    // The failure ends the rule that checked 書留 as well: 代金引換 stays
    // enabled, and the error is reported once.
    void failingQuoteInsideANestedRule() {
        open();
        pick(weights(), 1);
        folder_->patchTariff(QStringLiteral("料金=000   0  80"),
                             QStringLiteral("料金=000   0  8x"));
        clickBox("chkGentei");
        QCOMPARE(platform_.errors.size(), 1);
        QVERIFY(box("chkKakitome")->isChecked());
        QVERIFY(!box("chkInCity")->isEnabled());
        QVERIFY(box("chkDaihiki")->isEnabled());
        QCOMPARE(text("lblTotal"), kYenSign + "80");
    }

    void failuresDuringAnAmountChangeAreSilent() {
        open();
        pick(weights(), 1);
        folder_->patchTariff(QStringLiteral("料金=000   0  80"),
                             QStringLiteral("料金=000   0  8x"));
        typeInto(amount(), QStringLiteral("7"));
        typeInto(amount(), QStringLiteral("."));
        QVERIFY(platform_.errors.isEmpty());
        QVERIFY(platform_.messages.isEmpty());
        QCOMPARE(text("lblTotal"), kYenSign + "80");
    }

    void cashOnDeliveryWithoutANumber() {
        open();
        pick(weights(), 1);
        typeInto(amount(), QStringLiteral("."));
        QVERIFY(platform_.errors.isEmpty());
        clickBox("chkDaihiki");
        QCOMPARE(platform_.errors, QStringList{"'.' は浮動小数点数ではありません"});
        QCOMPARE(disabledBoxes("tabNormal"), (QStringList{"chkGentei", "chkHaitatsu"}));
        QCOMPARE(text("lblTotal"), kYenSign + "80");
        QCOMPARE(postal_->letterDetail(), "送料¥80");
    }

    // ---- settings -----------------------------------------------------------

    void storedPage_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("page"); // empty: none
        QTest::addColumn<int>("saved");
        QTest::newRow("none stored") << QString() << "tabNormal" << 0;
        QTest::newRow("1") << "TabIndex=1\n"
                           << "tabBooks" << 1;
        QTest::newRow("7") << "TabIndex=7\n" << QString() << -1;
        QTest::newRow("-1") << "TabIndex=-1\n" << QString() << -1;
    }
    void storedPage() {
        QFETCH(QString, stored);
        QFETCH(QString, page);
        QFETCH(int, saved);
        writeSettings(stored);
        open();
        auto* pages = w<QTabWidget>("pgPostal");
        if (page.isEmpty()) {
            QVERIFY(pages->currentWidget() != w("tabNormal"));
            QVERIFY(pages->currentWidget() != w("tabBooks"));
        } else {
            QCOMPARE(pages->currentWidget(), w(qPrintable(page)));
        }
        QVERIFY(postal_->close());
        QCOMPARE(settings().postalTabIndex(), saved);
        QVERIFY(!settings().postalAtStart().showPostal);
        QVERIFY(!main_->Timer->isActive());
    }

    void pickingATabAfterNoPage() {
        writeSettings(QStringLiteral("TabIndex=7\n"));
        open();
        auto* pages = w<QTabWidget>("pgPostal");
        QTabBar* bar = pages->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
        QCOMPARE(pages->currentWidget(), w("tabBooks"));
        QTRY_COMPARE(pages->count(), 2);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
        QCOMPARE(pages->currentWidget(), w("tabNormal"));
        QVERIFY(postal_->close());
        QCOMPARE(settings().postalTabIndex(), 0);
    }

    void settingsThatCannotBeWritten() {
        open();
        postal_->close();
        QTRY_VERIFY(postalWindows().isEmpty());
        QVERIFY(QFile::remove(folder_->path("hakomaru.ini")));
        QVERIFY(QDir().mkpath(folder_->path("hakomaru.ini/blocked")));
        open();
        QCOMPARE(platform_.errors.size(), 1); // reported, and the window works
        QCOMPARE(weights()->count(), 18);
        QVERIFY(postal_->close());
        QCOMPARE(platform_.errors.size(), 2);
        QVERIFY(!main_->Timer->isActive());
    }

    // The program ends with the window open: its close handling does not
    // run, so the next start opens it again.
    void programEndKeepsThePostalWindowForTheNextStart() {
        writeSettings(QStringLiteral("TabIndex=1\n"));
        open();
        showPage(0);
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, qApp, &QCoreApplication::quit);
        guard.start(10000);
        QTimer::singleShot(0, main_.get(), [this] { main_->close(); });
        QApplication::exec();
        QVERIFY2(guard.isActive(), "the program did not end with its main window");
        main_.reset();
        QVERIFY(settings().postalAtStart().showPostal);
        QCOMPARE(settings().postalTabIndex(), 1);

        startMain();
        QTRY_COMPARE(postalWindows().size(), 1);
        postal_ = postalWindows().first();
        QCOMPARE(postal_->pos(), QPoint(main_->x() - 210, main_->y()));
        QVERIFY(main_->Timer->isActive());
    }
};

HAKOMARU_UI_TEST_MAIN(PostalTest)
#include "PostalTest.moc"
