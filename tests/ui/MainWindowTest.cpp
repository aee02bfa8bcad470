// The comparison window driven as a user drives it, by the controls' names:
// list picks, clicks, typing, pointer moves, menu commands and closing.
#include "Main.h"
#include "UiTestSupport.h"
#include "controls/OwnerDrawComboBox.h"
#include "selection/ParcelSelection.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <sys/stat.h>

#include <map>
#include <memory>

using namespace hakomaru;
using namespace hakomaru::test;

namespace {

const QString kYen = QStringLiteral("¥");

// The option boxes in the order of ParcelOption.
const QStringList kBoxNames{"chkYouCyaku", "chkYouSokutatsu", "chkYouShitei", "chkKakitome",
                            "chkYouCild",  "chkYouDaihiki",   "chkCatHome",   "chkCatTime",
                            "chkCatCool",  "chkCatDaihiki",   "chkCatFukusu"};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    RecordingPlatform platform_;
    std::unique_ptr<ProgramFolder> folder_;
    std::unique_ptr<TfrmMain> window_;

    // Creates and shows the window, as the program does at start.
    void start() {
        window_ = std::make_unique<TfrmMain>(folder_->settingsPath(), folder_->tariffPath());
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }
    template <class T = QWidget> T* w(const char* name) const {
        auto* found = window_->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QCheckBox* box(const char* name) const { return w<QCheckBox>(name); }
    QString text(const char* label) const { return w<QLabel>(label)->text(); }
    QComboBox* list(const char* name) const { return w<QComboBox>(name); }
    void moveOver(QWidget* widget, QPoint pos) { QTest::mouseMove(widget, pos); }
    void hoverGroup(const char* group) {
        // The free surface between the option rows and the icon.
        moveOver(w(group), QPoint(150, 108));
    }

  private slots:
    void init() {
        platform_ = {};
        setPlatform(&platform_);
        folder_ = std::make_unique<ProgramFolder>();
    }
    void cleanup() {
        window_.reset();
        folder_.reset();
        setPlatform(nullptr);
    }

    // ---- start-up -------------------------------------------------------

    void firstStartWithoutSettingsFile() {
        start();
        QCOMPARE(window_->windowTitle(), QStringLiteral("はこ丸"));
        // The error box's caption.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("はこ丸"));
        QCOMPARE(window_->pos(), QPoint(0, 0));
        QCOMPARE(list("cmbFrom")->currentIndex(), 0);
        QCOMPARE(list("cmbTo")->currentIndex(), 0);
        QCOMPARE(list("cmbWeight")->currentText(), QStringLiteral(" 2kg以下"));
        QCOMPARE(list("cmbSize")->currentText(), QStringLiteral(" 60cm以下"));
        QVERIFY(w("stExplain")->isVisible());
        QCOMPARE(w("client")->height(), 269);
        QCOMPARE(w("client")->width(), 402);
        QCOMPARE(list("cmbFrom")->maxVisibleItems(), 24);
        QCOMPARE(list("cmbTo")->maxVisibleItems(), 24);
        QVERIFY(!box("chkCatDaihiki")->isEnabled());
        QVERIFY(!box("chkCatHome")->isChecked());
        QCOMPARE(w<QGroupBox>("grpYoupack")->title(), QStringLiteral("ゆうパック 第1地帯"));
        QCOMPARE(text("lblYouTotal"), kYen + "600");
        QCOMPARE(text("lblCatTotal"), kYen + "640");
        QCOMPARE(text("lblDetail"), QStringLiteral("送料¥640")); // クロネコ ran last
        QCOMPARE(list("cmbFrom")->count(), 53);
        QCOMPARE(list("cmbTo")->count(), 55);
        QVERIFY(platform_.errors.isEmpty());
        QVERIFY(!QFile::exists(folder_->path("hakomaru.ini")));
        // Fixed size, no maximise button.
        QCOMPARE(window_->minimumSize(), window_->maximumSize());
        QVERIFY(!window_->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    }

    void savedSettingsApplied() {
        folder_->writeSjis("hakomaru.ini", QStringLiteral("[Settings]\n"
                                                          "Pos_Top=40\nPos_Left=30\n"
                                                          "発送地=14\n届け先=45\n"
                                                          "代引利用=1\n自宅発送=1\n"
                                                          "説明欄表示=0\n行数=10\n"));
        start();
        QCOMPARE(window_->pos(), QPoint(30, 40));
        QCOMPARE(list("cmbFrom")->currentText(), QStringLiteral("東京"));
        QCOMPARE(list("cmbTo")->currentText(), QStringLiteral("福岡"));
        QVERIFY(box("chkCatDaihiki")->isEnabled());
        QVERIFY(box("chkCatHome")->isChecked());
        QVERIFY(!w("stExplain")->isVisible());
        QCOMPARE(w("client")->height(), 237);
        QCOMPARE(list("cmbTo")->maxVisibleItems(), 10);
        QCOMPARE(list("cmbFrom")->maxVisibleItems(), 24);
        // 関東 to 九州 at class 0 is 1290 - 100, plus 引取 100.
        QCOMPARE(text("lblCatTotal"), kYen + "1,290");
        QCOMPARE(text("lblDetail"), QStringLiteral("送料¥1,190 + 引取¥100"));
        // The explanation area comes back with the window's full height.
        window_->setExplainVisible(true);
        QCOMPARE(w("client")->height(), 269);
    }

    void savedRowsOutsideTheListsSelectTheFirstRow() {
        folder_->writeSjis("hakomaru.ini", QStringLiteral("[Settings]\n発送地=99\n届け先=-3\n"));
        start();
        QCOMPARE(list("cmbFrom")->currentIndex(), 0);
        QCOMPARE(list("cmbTo")->currentIndex(), 0);
        QVERIFY(platform_.errors.isEmpty());
    }

    // A separator saved as the destination shows as picking it does, and a
    // hand-edited separator as sending row takes the place below it.
    void savedSeparatorRows() {
        folder_->writeSjis("hakomaru.ini", QStringLiteral("[Settings]\n発送地=44\n届け先=44\n"));
        start();
        QCOMPARE(list("cmbFrom")->currentIndex(), 45);
        QCOMPARE(list("cmbTo")->currentIndex(), 44);
        QCOMPARE(text("lblYouTotal"), kYen + "---");
        QCOMPARE(text("lblCatTotal"), kYen + "---");
        QVERIFY(platform_.errors.isEmpty());
    }

    // ---- lists ------------------------------------------------------------

    void sendingSeparatorSelectsTheNextRow_data() {
        QTest::addColumn<int>("row");
        for (int row : {1, 8, 19, 27, 34, 44})
            QTest::addRow("row %d", row) << row;
    }
    void sendingSeparatorSelectsTheNextRow() {
        QFETCH(int, row);
        start();
        pick(list("cmbFrom"), row);
        QCOMPARE(list("cmbFrom")->currentIndex(), row + 1);
    }

    void sendingFromKyushuRecomputesBoth() {
        start();
        pick(list("cmbFrom"), 44);
        QCOMPARE(list("cmbFrom")->currentText(), QStringLiteral("福岡"));
        // 福岡 to 北海道: zone 8 (1,400) and 九州 to 北海道 1,510 - 100.
        QCOMPARE(text("lblYouTotal"), kYen + "1,400");
        QCOMPARE(text("lblCatTotal"), kYen + "1,410");
        QCOMPARE(w<QGroupBox>("grpYoupack")->title(), QStringLiteral("ゆうパック 第8地帯"));
    }

    void destinationSeparatorShowsDashes_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("separator");
        QTest::newRow("━━九州") << 44 << true;
        QTest::newRow("━━特殊地域") << 53 << true;
        QTest::newRow("同一市内") << 54 << false;
    }
    void destinationSeparatorShowsDashes() {
        QFETCH(int, row);
        QFETCH(bool, separator);
        start();
        const QString detailBefore = text("lblDetail");
        pick(list("cmbTo"), row);
        QCOMPARE(list("cmbTo")->currentIndex(), row);
        if (separator) {
            QCOMPARE(text("lblYouTotal"), kYen + "---");
            QCOMPARE(text("lblCatTotal"), kYen + "---");
            QCOMPARE(text("lblDetail"), detailBefore);
        } else {
            QCOMPARE(text("lblYouTotal"), kYen + "500"); // fee row 市内
            QCOMPARE(text("lblCatTotal"), kYen + "540"); // key 同一市内
        }
        QVERIFY(platform_.errors.isEmpty());
    }

    void heaviestOrLargestIsNotHandledByKuroneko_data() {
        QTest::addColumn<QString>("listName");
        QTest::addColumn<int>("row");
        QTest::newRow("30kg") << "cmbWeight" << 13;
        QTest::newRow("170cm") << "cmbSize" << 7;
    }
    void heaviestOrLargestIsNotHandledByKuroneko() {
        QFETCH(QString, listName);
        QFETCH(int, row);
        start();
        pick(list(qPrintable(listName)), row);
        QCOMPARE(text("lblCatTotal"), QStringLiteral("取扱不可"));
        QVERIFY(!w("grpCat")->isEnabled());
        QCOMPARE(text("lblDetail"), QStringLiteral("送料") + text("lblYouTotal"));
        // Copying クロネコ pairs the last computed detail with 取扱不可.
        hoverGroup("grpCat"); // disabled: no hover
        hoverGroup("grpYoupack");
        w<QMenu>("mnuPopup")->findChild<QAction*>("mnuPopup_Copy_Line")->trigger();
        QCOMPARE(platform_.clipboard.last(), QStringLiteral("送料") + text("lblYouTotal") +
                                                 " = 合計額" + text("lblYouTotal") + "\r\n");
        pick(list(qPrintable(listName)), 0);
        QCOMPARE(text("lblCatTotal"), kYen + "640");
        QVERIFY(w("grpCat")->isEnabled());
    }

    void notHandledCopyPairsLastKuronekoDetail() {
        start();
        hoverGroup("grpCat");
        pick(list("cmbSize"), 7);
        window_->findChild<QAction*>("mnuPopup_Copy_Line")->trigger();
        QCOMPARE(platform_.clipboard.last(), QStringLiteral("送料¥640 = 合計額取扱不可\r\n"));
    }

    // The rows a user sees when a list drops down below its face.
    void rowsShownWhenDropped_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("listName");
        QTest::addColumn<int>("rows");
        QTest::newRow("sending list") << QStringLiteral("[Settings]\n行数=10\n") << "cmbFrom" << 24;
        QTest::newRow("destination list by default") << QString() << "cmbTo" << 24;
        QTest::newRow("destination list with 行数 10")
            << QStringLiteral("[Settings]\n行数=10\n") << "cmbTo" << 10;
        QTest::newRow("weight list") << QString() << "cmbWeight" << 14;
        QTest::newRow("size list, all rows") << QString() << "cmbSize" << 8;
    }
    void rowsShownWhenDropped() {
        QFETCH(QString, settings);
        QFETCH(QString, listName);
        QFETCH(int, rows);
        if (!settings.isEmpty())
            folder_->writeSjis("hakomaru.ini", settings);
        start();
        QComboBox* l = list(qPrintable(listName));
        l->showPopup();
        QAbstractItemView* view = l->view();
        QTRY_VERIFY(view->isVisible());
        const int rowHeight = view->sizeHintForRow(0);
        const int shown = view->viewport()->height() / rowHeight;
        const int popupTop = view->window()->geometry().top();
        l->hidePopup();
        QCOMPARE(shown, rows);
        // The list opens below its face (overlapping its bottom pixel), not over it.
        const int faceBottom = l->mapToGlobal(QPoint(0, l->height() - 1)).y();
        QVERIFY(popupTop >= faceBottom);
    }

    void typingInTheSizeListOpensIt() {
        start();
        QComboBox* size = list("cmbSize");
        QTest::keyClick(size, '1');
        QTRY_VERIFY(size->view()->isVisible());
        QCOMPARE(size->currentIndex(), 0); // no search by the typed text
        size->hidePopup();
    }

    // ---- the window shows its model -----------------------------------------

    // Each kind of event, made as a person makes it, leaves the controls as
    // the same events leave a model of the window: the rules themselves are
    // tested on the model (tests/calc/selection/ParcelSelectionTest.cpp).
    void showsTheModelAfterEachKindOfEvent_data() {
        QTest::addColumn<QStringList>("events");
        QTest::newRow("boxes") << QStringList{"chkYouCyaku", "chkYouSokutatsu", "chkCatTime",
                                              "chkYouCyaku", "chkCatTime",      "chkCatCool"};
        QTest::newRow("lists") << QStringList{"chkCatCool",   "cmbWeight 9", "cmbFrom 44",
                                              "cmbTo 1",      "cmbTo 0",     "cmbSize 4",
                                              "cmbWeight 13", "cmbWeight 0"};
        QTest::newRow("amount") << QStringList{"use", "edtDaihiki 8", "edtDaihiki 80",
                                               "edtDaihiki 250", "edtDaihiki"};
        QTest::newRow("count") << QStringList{"chkCatFukusu", "edtFukusu 3", "edtFukusu",
                                              "chkCatFukusu"};
        QTest::newRow("preference") << QStringList{"chkCatTime", "use", "chkCatDaihiki"};
    }
    void showsTheModelAfterEachKindOfEvent() {
        QFETCH(QStringList, events);
        start();
        // The model of a window started without a settings file.
        ParcelSelection model;
        model.restoreRows(0, 0);
        model.useCatCashOnDelivery(false);
        model.chooseTo(0);
        const auto typed = [](const QString& text, const auto& type) {
            for (qsizetype n = 1; n <= text.size(); ++n)
                type(text.left(n).toStdString());
            if (text.isEmpty())
                type(std::string());
        };
        for (const QString& event : events) {
            const QString name = event.section(' ', 0, 0);
            const QString value = event.section(' ', 1);
            if (name == "use") {
                window_->setUseCatDaihiki(true);
                model.useCatCashOnDelivery(true);
            } else if (name.startsWith("chk")) {
                click(box(qPrintable(name)));
                model.click(static_cast<ParcelOption>(kBoxNames.indexOf(name)));
            } else if (name.startsWith("cmb")) {
                pick(list(qPrintable(name)), value.toInt());
                const std::map<QString, void (ParcelSelection::*)(int)> choose{
                    {"cmbFrom", &ParcelSelection::chooseFrom},
                    {"cmbTo", &ParcelSelection::chooseTo},
                    {"cmbWeight", &ParcelSelection::chooseWeight},
                    {"cmbSize", &ParcelSelection::chooseSize}};
                (model.*choose.at(name))(value.toInt());
            } else {
                auto* edit = w<QLineEdit>(qPrintable(name));
                QTest::mouseClick(edit, Qt::LeftButton);
                if (value.isEmpty())
                    QTest::keyClick(edit, Qt::Key_Backspace);
                QTest::keyClicks(edit, value);
                if (name == "edtDaihiki")
                    typed(value, [&](const std::string& t) { model.typeAmount(t); });
                else
                    typed(value, [&](const std::string& t) { model.typeCount(t); });
            }
            QVERIFY2(platform_.errors.isEmpty(), qPrintable(event));
            for (qsizetype i = 0; i < kBoxNames.size(); ++i) {
                QCheckBox* b = box(qPrintable(kBoxNames[i]));
                const BoxState state = model.box(static_cast<ParcelOption>(i));
                QVERIFY2(b->isChecked() == state.checked, qPrintable(event + " " + kBoxNames[i]));
                QVERIFY2(b->isEnabledTo(b->parentWidget()) == state.enabled,
                         qPrintable(event + " " + kBoxNames[i]));
            }
            QCOMPARE(list("cmbFrom")->currentIndex(), model.fromRow());
            QCOMPARE(list("cmbTo")->currentIndex(), model.toRow());
            QCOMPARE(list("cmbWeight")->currentIndex(), model.weightRow());
            QCOMPARE(list("cmbSize")->currentIndex(), model.sizeRow());
            QCOMPARE(w("grpYoupack")->isEnabled(), model.groupEnabled(Carrier::Youpack));
            QCOMPARE(w("grpCat")->isEnabled(), model.groupEnabled(Carrier::Cat));
            QCOMPARE(w<QLineEdit>("edtDaihiki")->text().toStdString(), model.amountText());
            QCOMPARE(w<QLineEdit>("edtFukusu")->text().toStdString(), model.countText());
            QCOMPARE(w("edtFukusu")->isVisible(), model.countShown());
            QCOMPARE(w("lblFukusu")->isVisible(), model.countShown());
        }
    }

    void youpackOptionsRecomputeOnlyYoupack() {
        start();
        click(box("chkYouCyaku"));
        QCOMPARE(text("lblYouTotal"), kYen + "630");
        QCOMPARE(text("lblDetail"), QStringLiteral("送料¥600 + 着払¥30"));
        QCOMPARE(text("lblCatTotal"), kYen + "640");
        click(box("chkCatHome"));
        QCOMPARE(text("lblCatTotal"), kYen + "740");
        QCOMPARE(text("lblDetail"), QStringLiteral("送料¥640 + 引取¥100"));
    }

    // ---- the amount -------------------------------------------------------

    // Typed texts, each after clicking into the edit (which selects it): the
    // totals each band shows. The bands' rules are the model's
    // (tests/calc/selection/ParcelSelectionTest.cpp).
    void amountBands_data() {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<bool>("useCatDaihiki");
        QTest::addColumn<bool>("kakitome");
        QTest::addColumn<bool>("catDaihiki");
        QTest::addColumn<QString>("youTotal");
        QTest::addColumn<QString>("catTotal");
        const QString notHandled = QStringLiteral("取扱不可");
        // 書留 at a declared value up to 10 is 360; クロネコ 代金引換 fees by class.
        QTest::newRow("5 keeps 書留") << QStringList{"5"} << true << false << true << "¥600"
                                      << "¥1,240";
        QTest::newRow("5 then 0 is 50")
            << QStringList{"50"} << true << false << false << "¥600" << notHandled;
        QTest::newRow("200.1 is not handled at all")
            << QStringList{"200.1"} << true << false << false << notHandled << notHandled;
        QTest::newRow("without クロネコ cash on delivery")
            << QStringList{"3"} << false << false << false << "¥600"
            << "¥640";
        QTest::newRow("250 then 0 undoes everything")
            << QStringList{"250", "0"} << true << false << false << "¥600"
            << "¥640";
    }
    void amountBands() {
        QFETCH(QStringList, typed);
        QFETCH(bool, useCatDaihiki);
        QFETCH(bool, kakitome);
        QFETCH(bool, catDaihiki);
        QFETCH(QString, youTotal);
        QFETCH(QString, catTotal);
        if (useCatDaihiki)
            folder_->writeSjis("hakomaru.ini", QStringLiteral("[Settings]\n代引利用=1\n"));
        start();
        for (const QString& amount : typed)
            typeInto(w("edtDaihiki"), amount);
        QCOMPARE(w<QLineEdit>("edtDaihiki")->text(), typed.last());
        QCOMPARE(box("chkKakitome")->isChecked(), kakitome);
        QCOMPARE(box("chkCatDaihiki")->isChecked(), catDaihiki);
        QCOMPARE(text("lblYouTotal"), youTotal);
        QCOMPARE(text("lblCatTotal"), catTotal);
        QCOMPARE(w("grpCat")->isEnabled(), typed.last().toFloat() <= 30);
        QCOMPARE(w("grpYoupack")->isEnabled(), typed.last().toFloat() <= 200);
        QCOMPARE(box("chkCatDaihiki")->isEnabledTo(w("grpCat")), useCatDaihiki);
        QVERIFY(platform_.errors.isEmpty());
    }

    void deletingTheAmountPutsZeroBackSelected() {
        folder_->writeSjis("hakomaru.ini", QStringLiteral("[Settings]\n代引利用=1\n"));
        start();
        typeInto(w("edtDaihiki"), "12");
        QVERIFY(box("chkKakitome")->isChecked());
        QVERIFY(box("chkCatDaihiki")->isChecked());
        auto* edit = w<QLineEdit>("edtDaihiki");
        QTest::mouseClick(edit, Qt::LeftButton);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QStringLiteral("0"));
        QCOMPARE(edit->selectedText(), QStringLiteral("0"));
        QVERIFY(!box("chkKakitome")->isChecked());
        QVERIFY(!box("chkCatDaihiki")->isChecked());
        // The next digit replaces the 0.
        QTest::keyClick(edit, Qt::Key_7);
        QCOMPARE(edit->text(), QStringLiteral("7"));
    }

    void keyFiltersOfTheEdits() {
        start();
        typeInto(w("edtDaihiki"), "a1*,-.2+");
        QCOMPARE(w<QLineEdit>("edtDaihiki")->text(), QStringLiteral("1.2"));
        click(box("chkCatFukusu"));
        typeInto(w("edtFukusu"), "1.2a");
        QCOMPARE(w<QLineEdit>("edtFukusu")->text(), QStringLiteral("12"));
        QCOMPARE(w<QLineEdit>("edtDaihiki")->maxLength(), 7);
        QCOMPARE(w<QLineEdit>("edtFukusu")->maxLength(), 3);
    }

    // ---- several parcels ----------------------------------------------------

    void severalParcels() {
        start();
        QVERIFY(w("edtFukusu")->isHidden());
        click(box("chkCatFukusu"));
        QVERIFY(w("edtFukusu")->isVisible());
        QVERIFY(w("lblFukusu")->isVisible());
        typeInto(w("edtFukusu"), "3");
        QCOMPARE(text("lblCatTotal"), kYen + "1,620"); // 3 x 640 - 3 x 100
        QCOMPARE(text("lblDetail"), QStringLiteral("送料¥1,920 - 複数口割引¥300"));
        // An empty count changes nothing.
        QTest::mouseClick(w("edtFukusu"), Qt::LeftButton);
        QTest::keyClick(w("edtFukusu"), Qt::Key_Backspace);
        QCOMPARE(w<QLineEdit>("edtFukusu")->text(), QString());
        QCOMPARE(text("lblCatTotal"), kYen + "1,620");
        // Unchecking puts 1 back and recomputes.
        click(box("chkCatFukusu"));
        QVERIFY(w("edtFukusu")->isHidden());
        QCOMPARE(w<QLineEdit>("edtFukusu")->text(), QStringLiteral("1"));
        QCOMPARE(text("lblCatTotal"), kYen + "640");
        QVERIFY(platform_.errors.isEmpty());
    }

    void emptyCountWithSeveralParcelsFailsOnce() {
        start();
        click(box("chkCatFukusu"));
        QTest::mouseClick(w("edtFukusu"), Qt::LeftButton);
        QTest::keyClick(w("edtFukusu"), Qt::Key_Backspace);
        click(box("chkCatHome"));
        QCOMPARE(platform_.errors, QStringList{QStringLiteral("'' は整数ではありません")});
        QCOMPARE(text("lblCatTotal"), QString());
        QVERIFY(w("grpCat")->isEnabled());
    }

    // ---- failures -------------------------------------------------------------

    void badTariffFieldReportedOnceAndTotalKept() {
        start();
        folder_->patchTariff(QStringLiteral("第1地帯=000 600 700"),
                             QStringLiteral("第1地帯=000 600 7x0"));
        pick(list("cmbWeight"), 1);
        QCOMPARE(platform_.errors.size(), 1);
        QVERIFY2(platform_.errors[0].endsWith(QStringLiteral("は整数ではありません")),
                 qPrintable(platform_.errors[0]));
        QVERIFY(platform_.errors[0].contains(QStringLiteral("7x0")));
        QCOMPARE(text("lblYouTotal"), kYen + "600");
        QCOMPARE(w<QGroupBox>("grpYoupack")->title(), QStringLiteral("ゆうパック 第1地帯"));
        // The rest of that event was skipped: クロネコ still shows 2kg.
        QCOMPARE(text("lblCatTotal"), kYen + "640");
        // A box whose rule runs the failing quote reports once too.
        click(box("chkYouCyaku"));
        QCOMPARE(platform_.errors.size(), 2);
        QVERIFY(box("chkYouCyaku")->isChecked());
    }

    // The tariff is read at every recalculation: one taken away while the
    // program runs, or something that is not a file in its place, gives the
    // conversion message once; nothing hangs and the totals stay.
    void tariffGoneWhileRunning_data() {
        QTest::addColumn<QString>("replacement");
        QTest::newRow("deleted") << "none";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("a FIFO") << "fifo";
    }
    void tariffGoneWhileRunning() {
        QFETCH(QString, replacement);
        start();
        const std::string tariff = folder_->tariffPath().string();
        QVERIFY(QFile::remove(QString::fromStdString(tariff)));
        if (replacement == "folder")
            QVERIFY(QDir().mkdir(QString::fromStdString(tariff)));
        if (replacement == "fifo")
            QCOMPARE(::mkfifo(tariff.c_str(), 0600), 0);
        pick(list("cmbWeight"), 1);
        QCOMPARE(platform_.errors, QStringList{QStringLiteral("'' は整数ではありません")});
        QCOMPARE(text("lblYouTotal"), kYen + "600");
    }

    void failureDeepInANestedRuleReportedOnce() {
        start();
        click(box("chkCatFukusu"));
        QTest::mouseClick(w("edtFukusu"), Qt::LeftButton);
        QTest::keyClick(w("edtFukusu"), Qt::Key_Backspace);
        folder_->patchTariff(QStringLiteral("北海道  =000 740"),
                             QStringLiteral("北海道  =000 7x0"));
        // Unchecking sets the count to 1, whose rule runs the failing quote.
        click(box("chkCatFukusu"));
        QCOMPARE(platform_.errors.size(), 1);
        QCOMPARE(w<QLineEdit>("edtFukusu")->text(), QStringLiteral("1"));
    }

    void amountFailuresAreSilent() {
        start();
        folder_->patchTariff(QStringLiteral("第1地帯=000 600"), QStringLiteral("第1地帯=000 6x0"));
        typeInto(w("edtDaihiki"), "12");
        QVERIFY(platform_.errors.isEmpty());
        QVERIFY(box("chkKakitome")->isChecked());
        QCOMPARE(text("lblYouTotal"), kYen + "600");
    }

    // ---- hover, explanations and the clipboard --------------------------------

    // The popup menu belongs to both groups, and to what lies inside them.
    void popupMenuOverAGroup_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QPoint>("pos");
        QTest::newRow("free surface") << "grpYoupack" << QPoint(150, 108);
        QTest::newRow("box") << "chkYouCyaku" << QPoint(6, 6);
        QTest::newRow("disabled box") << "chkCatDaihiki" << QPoint(6, 6);
        QTest::newRow("icon") << "imgCat" << QPoint(8, 8);
        QTest::newRow("total") << "lblYouTotal" << QPoint(5, 5);
    }
    void popupMenuOverAGroup() {
        QFETCH(QString, control);
        QFETCH(QPoint, pos);
        start();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        auto* menu = w<QMenu>("mnuPopup");
        QWidget* target = w(qPrintable(control));
        // Through the window, as the pointer's click arrives.
        QTest::mouseClick(window_->windowHandle(), Qt::RightButton, {},
                          target->mapTo(window_.get(), pos));
        QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 1000);
        menu->hide();
    }

    void copyBeforeAnyHover() {
        start();
        window_->findChild<QAction*>("mnuPopup_Copy_Line")->trigger();
        QCOMPARE(platform_.clipboard, QStringList{QStringLiteral(" = 合計額\r\n")});
    }

    void groupHoverSwitchesDetailAndCopy() {
        start();
        click(box("chkYouCyaku"));
        click(box("chkCatHome"));
        moveOver(box("chkYouSokutatsu"), QPoint(10, 5));
        QCOMPARE(text("stExplain"),
                 QStringLiteral("通常の郵便より早く配達されます。速達にもかかわらず、"
                                "通常の郵便と変わらなかった場合には、速達料金は払"
                                "い戻されます。"));
        hoverGroup("grpYoupack");
        QCOMPARE(text("stExplain"), QString());
        QCOMPARE(text("lblDetail"), QStringLiteral("送料¥600 + 着払¥30"));
        window_->findChild<QAction*>("mnuPopup_Copy_Line")->trigger();
        QCOMPARE(platform_.clipboard.last(), QStringLiteral("送料¥600 + 着払¥30 = 合計額¥630\r\n"));
        hoverGroup("grpCat");
        QCOMPARE(text("lblDetail"), QStringLiteral("送料¥640 + 引取¥100"));
        window_->findChild<QAction*>("mnuPopup_Copy_Line")->trigger();
        QCOMPARE(platform_.clipboard.last(),
                 QStringLiteral("送料¥640 + 引取¥100 = 合計額¥740\r\n"));
        // Over a control inside the group nothing switches.
        moveOver(box("chkYouCyaku"), QPoint(10, 5));
        QCOMPARE(text("lblDetail"), QStringLiteral("送料¥640 + 引取¥100"));
    }

    void explanations_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("explanation");
        QTest::newRow("送料着払い")
            << "chkYouCyaku" << QStringLiteral("送料は受取人が負担します。");
        QTest::newRow("書留") << "chkKakitome"
                              << QStringLiteral(
                                     "損害賠償額の上限が500万円となります。書留でない時の上限"
                                     "は5万円。損害要償額10万円までは一律¥360で、その後は"
                                     "5万円毎に¥20増。");
        QTest::newRow("配達日指定")
            << "chkYouShitei"
            << QStringLiteral("確実に受領できる日を指定して発送します。指定可能日は、差出日の3日後"
                              "から起算して10日以内の日。 ex. 1/1差出の場合、1/4-1/13を指定可能。");
        QTest::newRow("チルド") << "chkYouCild" << QStringLiteral("荷物を冷凍・冷蔵して届けます。");
        QTest::newRow("ゆうパック 代金引換")
            << "chkYouDaihiki"
            << QStringLiteral("受取人は、代引き金額の支払と引き替えに荷物を受領します。尚、引換額が"
                              "5万円を超える場合には書留が必須となります。");
        QTest::newRow("自宅") << "chkCatHome"
                              << QStringLiteral(
                                     "荷物を自宅や会社まで取りに来て貰います。コンビニから"
                                     "発送する場合はチェックしないで下さい。");
        QTest::newRow("タイムサービス")
            << "chkCatTime"
            << QStringLiteral("決まった時間までに絶対に届けなければならない場合に利用します。");
        QTest::newRow("クール") << "chkCatCool" << QStringLiteral("荷物を冷凍・冷蔵して届けます。");
        QTest::newRow("複数口") << "chkCatFukusu"
                                << QStringLiteral(
                                       "同一の届け先に複数の荷物を送る時に適用されます。");
        QTest::newRow("ゆうパック icon")
            << "imgYoupack" << QStringLiteral("ゆうパックのホームページに飛びます。");
        QTest::newRow("クロネコ icon")
            << "imgCat" << QStringLiteral("クロネコのホームページに飛びます。");
    }
    // Drawn whole: the second line as deep as the first, a box's bottom row.
    void explanations() {
        QFETCH(QString, control);
        QFETCH(QString, explanation);
        start();
        moveOver(w(qPrintable(control)), QPoint(8, 6));
        QCOMPARE(text("stExplain"), explanation);
        const QImage area = w("stExplain")->grab().toImage();
        const int line = w("stExplain")->fontMetrics().lineSpacing();
        auto lowestInk = [&area](int from, int to) {
            int lowest = -1;
            for (int y = from; y < to; ++y)
                for (int x = 2; x < area.width() - 2; ++x)
                    if (qGray(area.pixel(x, y)) < 128)
                        lowest = y;
            return lowest;
        };
        if (const int second = lowestInk(1 + line, area.height() - 1); second >= 0)
            QVERIFY2(second >= lowestInk(1, 1 + line) + line - 1, "second line cut");
        if (auto* checkBox = qobject_cast<QCheckBox*>(w(qPrintable(control)))) {
            const QImage square = checkBox->grab().toImage();
            QCOMPARE(square.pixel(6, 12), square.pixel(6, 0));  // the border
            QVERIFY(square.pixel(6, 12) != square.pixel(6, 6)); // not the inside
        }
    }

    void explanationOfCountAndOfEnabledCatDaihiki() {
        folder_->writeSjis("hakomaru.ini", QStringLiteral("[Settings]\n代引利用=1\n"));
        start();
        click(box("chkCatFukusu"));
        moveOver(w("edtFukusu"), QPoint(5, 5));
        QCOMPARE(text("stExplain"),
                 QStringLiteral("送料の合計額から ¥100x荷物の個数 減額される。"));
        moveOver(box("chkCatDaihiki"), QPoint(8, 6));
        QCOMPARE(text("stExplain"),
                 QStringLiteral("引き替え額の支払いと引き替えに受取人が荷物を受領します。"));
    }

    // A disabled box passes the pointer to its group, as on the group's surface.
    void disabledBoxActsAsGroupSurface() {
        start();
        moveOver(box("chkCatCool"), QPoint(8, 6));
        QVERIFY(!text("stExplain").isEmpty());
        // Disabled without 代引利用; aimed at through the window, as a pointer is.
        QCheckBox* disabled = box("chkCatDaihiki");
        moveOver(w("grpCat"), disabled->geometry().topLeft() + QPoint(8, 6));
        QCOMPARE(text("stExplain"), QString());
    }

    // ---- drawing ----------------------------------------------------------------

    void prefectureRowColours_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QColor>("background");
        QTest::addColumn<QColor>("textColor");
        const QColor red(255, 0, 0);
        const QColor white(255, 255, 255);
        QTest::newRow("北海道") << 0 << false << QColor(0xFF, 0xFF, 0xAD) << red;
        QTest::newRow("━━東北") << 1 << false << QColor(0xEF, 0xAD, 0x8C) << white;
        QTest::newRow("福島") << 7 << false << QColor(0xEF, 0xDD, 0xC2) << red;
        QTest::newRow("━━関東・信越") << 8 << false << QColor(0xAE, 0xB9, 0x79) << white;
        QTest::newRow("長野") << 18 << false << QColor(0xE8, 0xEB, 0xD3) << red;
        QTest::newRow("━━北陸・中部") << 19 << false << QColor(0xAF, 0xC9, 0xB6) << white;
        QTest::newRow("三重") << 26 << false << QColor(0xDC, 0xE8, 0xDF) << red;
        QTest::newRow("━━近畿") << 27 << false << QColor(0xA5, 0xA9, 0xD1) << white;
        QTest::newRow("和歌山") << 33 << false << QColor(0xD8, 0xE0, 0xEF) << red;
        QTest::newRow("━━中国・四国") << 34 << false << QColor(0xD5, 0x69, 0xB0) << white;
        QTest::newRow("高知") << 43 << false << QColor(0xEF, 0xDD, 0xEB) << red;
        QTest::newRow("━━九州") << 44 << false << QColor(0xE3, 0xB0, 0x3D) << white;
        QTest::newRow("沖縄") << 52 << false << QColor(0xFF, 0xF2, 0xD1) << red;
        QTest::newRow("━━特殊地域") << 53 << false << QColor(0xAC, 0x93, 0xCE) << white;
        QTest::newRow("同一市内") << 54 << false << QColor(0xD1, 0xD5, 0xFA) << red;
        const QPalette p = QGuiApplication::palette();
        QTest::newRow("selected separator")
            << 44 << true << p.color(QPalette::Highlight) << p.color(QPalette::HighlightedText);
    }
    void prefectureRowColours() {
        QFETCH(int, row);
        QFETCH(bool, selected);
        QFETCH(QColor, background);
        QFETCH(QColor, textColor);
        folder_->writeSjis("hakomaru.ini", QStringLiteral("[Settings]\n文字色=255\n"));
        start();
        QComboBox* to = list("cmbTo");
        QImage image(137, 13, QImage::Format_RGB32);
        image.fill(Qt::black);
        {
            QPainter painter(&image);
            QStyleOptionViewItem option;
            option.rect = image.rect();
            option.state = QStyle::State_Enabled;
            if (selected)
                option.state |= QStyle::State_Selected;
            to->itemDelegate()->paint(&painter, option, to->model()->index(row, 0));
        }
        QCOMPARE(QColor(image.pixel(130, 6)), background);
        QCOMPARE(QColor(image.pixel(0, 0)), background);
        QVERIFY2(countPixels(image, textColor) > 5, "text in its colour");
        QCOMPARE(to->view()->sizeHintForRow(row), 13);
    }

    void closedFaceIsOwnerDrawn() {
        start();
        QComboBox* from = list("cmbFrom");
        const QPoint inField = faceSamplePoint(from);
        QCOMPARE(QColor(from->grab().toImage().pixel(inField)), QColor(0xFF, 0xFF, 0xAD));
        pick(list("cmbTo"), 1); // a separator on the face of the other list
        window_->activateWindow();
        list("cmbWeight")->setFocus();
        QImage toFace = list("cmbTo")->grab().toImage();
        QCOMPARE(QColor(toFace.pixel(faceSamplePoint(list("cmbTo")))), QColor(0xEF, 0xAD, 0x8C));
        QVERIFY(countPixels(toFace, Qt::white) > 5);
        // With the focus the face is drawn selected.
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        from->setFocus();
        QTRY_VERIFY(from->hasFocus());
        QCOMPARE(QColor(from->grab().toImage().pixel(inField)),
                 QGuiApplication::palette().color(QPalette::Highlight));
    }

    void listTextColourRepaintsLists() {
        start();
        window_->setListTextColor(0x0000FF); // red as 0x00BBGGRR
        QCOMPARE(window_->listTextColor(), 0x0000FF);
        QVERIFY(countPixels(list("cmbFrom")->grab().toImage(), QColor(255, 0, 0)) > 5);
    }

    // ---- commands and closing ---------------------------------------------------

    void homePagesAndHelpPages() {
        start();
        QTest::mouseClick(w("imgYoupack"), Qt::LeftButton, {}, QPoint(8, 8));
        QTest::mouseClick(w("imgCat"), Qt::LeftButton, {}, QPoint(8, 8));
        QCOMPARE(platform_.opened.size(), 2);
        QVERIFY(platform_.opened[0].startsWith("https://"));
        QVERIFY(platform_.opened[1].startsWith("https://"));
        QVERIFY(platform_.opened[0] != platform_.opened[1]);
        folder_->writeSjis("hakomaru.ini", QStringLiteral("[WEB]\nゆうパック=http://example.org/y\n"
                                                          "クロネコ=http://example.org/k\n"));
        QTest::mouseClick(w("imgYoupack"), Qt::LeftButton, {}, QPoint(8, 8));
        QTest::mouseClick(w("imgCat"), Qt::LeftButton, {}, QPoint(8, 8));
        QCOMPARE(platform_.opened.mid(2),
                 (QStringList{"http://example.org/y", "http://example.org/k"}));
        window_->findChild<QAction*>("mnuMain_Help_View")->trigger();
        window_->findChild<QAction*>("mnuMain_Help_Use")->trigger();
        QCOMPARE(platform_.opened.mid(4),
                 (QStringList{QDir::toNativeSeparators(folder_->path("Help/Sobato.htm")),
                              QDir::toNativeSeparators(folder_->path("Help/howto.htm"))}));
    }

    void menusAndCommandHooks() {
        start();
        const QStringList expected{"mnuMain_View",         "mnuMain_View_Postal",
                                   "mnuMain_Option",       "mnuMain_Option_Settings",
                                   "mnuMain_Help",         "mnuMain_Help_View",
                                   "mnuMain_Help_Use",     "N1",
                                   "mnuMain_Help_Version", "mnuPopup_Copy_Line"};
        for (const QString& name : expected)
            QVERIFY2(window_->findChild<QAction*>(name), qPrintable(name));
        QCOMPARE(window_->findChild<QAction*>("mnuMain_View_Postal")->text(),
                 QStringLiteral("普通郵便・冊子小包..."));
        QStringList ran;
        window_->commands.openPostal = [&](TfrmMain&) { ran << "postal"; };
        window_->commands.openOptions = [&](TfrmMain&) { ran << "options"; };
        window_->commands.openAbout = [&](TfrmMain&) { ran << "about"; };
        window_->commands.openMap = [&](TfrmMain& main) {
            ran << "map";
            main.cmbTo->setCurrentIndex(14);
            main.cmbToClick();
        };
        window_->findChild<QAction*>("mnuMain_View_Postal")->trigger();
        window_->findChild<QAction*>("mnuMain_Option_Settings")->trigger();
        window_->findChild<QAction*>("mnuMain_Help_Version")->trigger();
        QTest::mouseClick(w("btnMap"), Qt::LeftButton);
        QCOMPARE(ran, (QStringList{"postal", "options", "about", "map"}));
        QCOMPARE(text("lblYouTotal"), kYen + "1,400"); // 北海道 to 東京: zone 8
        QTRY_VERIFY(list("cmbWeight")->hasFocus());
    }

    void postalWindowOpensAtStartWhenAsked_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("opens");
        QTest::newRow("no file") << QString() << false;
        QTest::newRow("普通郵便表示") << QStringLiteral("[Settings]\n普通郵便表示=1\n") << true;
        QTest::newRow("ShowPostal") << QStringLiteral("[Settings]\nShowPostal=1\n") << true;
    }
    void postalWindowOpensAtStartWhenAsked() {
        QFETCH(QString, settings);
        QFETCH(bool, opens);
        if (!settings.isEmpty())
            folder_->writeSjis("hakomaru.ini", settings);
        window_ = std::make_unique<TfrmMain>(folder_->settingsPath(), folder_->tariffPath());
        int opened = 0;
        window_->commands.openPostal = [&](TfrmMain&) { ++opened; };
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QTest::qWait(0);
        QCoreApplication::processEvents();
        QCOMPARE(opened, opens ? 1 : 0);
    }

    void closingSavesFourKeysInOrder() {
        folder_->writeSjis("hakomaru.ini", QStringLiteral("[Other]\nkeep=1\n"));
        start();
        window_->move(33, 44);
        pick(list("cmbFrom"), 14);
        pick(list("cmbTo"), 44);
        pick(list("cmbWeight"), 3);
        QVERIFY(window_->close());
        QCOMPARE(folder_->readSjis("hakomaru.ini"),
                 QStringLiteral("[Other]\r\nkeep=1\r\n\r\n[Settings]\r\nPos_Top=44\r\n"
                                "Pos_Left=33\r\n発送地=14\r\n届け先=44\r\n\r\n"));
    }

    void closingSucceedsWhenTheSettingsCannotBeWritten() {
        start();
        QVERIFY(QDir().mkpath(folder_->path("hakomaru.ini/blocked")));
        QVERIFY(window_->close());
        QCOMPARE(platform_.errors.size(), 1);
    }

    void tabOrder() {
        start();
        const QStringList expected{
            "btnMap",        "cmbTo",           "cmbWeight",    "cmbSize",     "edtDaihiki",
            "chkYouCyaku",   "chkYouSokutatsu", "chkYouShitei", "chkKakitome", "chkYouCild",
            "chkYouDaihiki", "chkCatHome",      "chkCatTime",   "chkCatCool",  "chkCatFukusu",
            "edtFukusu",     "chkCatDaihiki",   "cmbFrom"};
        QStringList chain;
        QWidget* widget = w(qPrintable(expected.first()));
        for (int i = 0; i < expected.size(); ++i) {
            chain << widget->objectName();
            do
                widget = widget->nextInFocusChain();
            while (widget->objectName().isEmpty() || !expected.contains(widget->objectName()));
        }
        QCOMPARE(chain, expected);
    }

    void layoutOfTheControls_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("cmbFrom") << "cmbFrom" << QRect(56, 9, 137, 19);
        QTest::newRow("btnMap") << "btnMap" << QRect(200, 9, 56, 19);
        QTest::newRow("cmbTo") << "cmbTo" << QRect(256, 9, 137, 19);
        QTest::newRow("cmbWeight") << "cmbWeight" << QRect(56, 37, 73, 20);
        QTest::newRow("cmbSize") << "cmbSize" << QRect(168, 37, 81, 20);
        QTest::newRow("edtDaihiki") << "edtDaihiki" << QRect(328, 37, 37, 21);
        QTest::newRow("grpYoupack") << "grpYoupack" << QRect(8, 69, 189, 144);
        QTest::newRow("grpCat") << "grpCat" << QRect(208, 69, 185, 144);
        QTest::newRow("chkCatHome") << "chkCatHome" << QRect(12, 20, 165, 13);
        QTest::newRow("chkCatFukusu") << "chkCatFukusu" << QRect(116, 61, 65, 13);
        QTest::newRow("edtFukusu") << "edtFukusu" << QRect(116, 80, 33, 21);
        QTest::newRow("imgYoupack") << "imgYoupack" << QRect(12, 112, 24, 24);
        QTest::newRow("lblDetail") << "lblDetail" << QRect(8, 218, 385, 12);
        QTest::newRow("stExplain") << "stExplain" << QRect(4, 236, 393, 29);
    }
    void layoutOfTheControls() {
        QFETCH(QString, control);
        QFETCH(QRect, geometry);
        start();
        QCOMPARE(w(qPrintable(control))->geometry(), geometry);
    }

    void fontsOfTheControls_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<bool>("bold");
        const QString gothic = QStringLiteral("ＭＳ ゴシック");
        const QString pGothic = QStringLiteral("ＭＳ Ｐゴシック");
        const QString pMincho = QStringLiteral("ＭＳ Ｐ明朝");
        QTest::newRow("window") << "frmMain" << pGothic << 12 << false;
        QTest::newRow("cmbFrom") << "cmbFrom" << gothic << 13 << false;
        QTest::newRow("cmbTo") << "cmbTo" << gothic << 13 << false;
        QTest::newRow("cmbWeight") << "cmbWeight" << gothic << 12 << false;
        QTest::newRow("cmbSize") << "cmbSize" << gothic << 12 << false;
        QTest::newRow("edtDaihiki") << "edtDaihiki" << pGothic << 13 << false;
        QTest::newRow("edtFukusu") << "edtFukusu" << gothic << 13 << false;
        QTest::newRow("lblYouTotal") << "lblYouTotal" << pMincho << 19 << true;
        QTest::newRow("lblCatTotal") << "lblCatTotal" << pMincho << 19 << true;
        QTest::newRow("a check box") << "chkCatHome" << pGothic << 12 << false;
        QTest::newRow("a label") << "lblDaihiki" << pGothic << 12 << false;
        QTest::newRow("the detail line") << "lblDetail" << pGothic << 12 << false;
    }
    void fontsOfTheControls() {
        QFETCH(QString, control);
        QFETCH(QString, family);
        QFETCH(int, pixelSize);
        QFETCH(bool, bold);
        start();
        QWidget* widget = control == "frmMain" ? window_.get() : w(qPrintable(control));
        QCOMPARE(widget->font().family(), family);
        QCOMPARE(widget->font().pixelSize(), pixelSize);
        QCOMPARE(widget->font().bold(), bold);
    }

    void totalsKeepTheirRightEdge() {
        start();
        QCOMPARE(w("lblYouTotal")->geometry().right() + 1, 181);
        QCOMPARE(w("lblCatTotal")->geometry().right() + 1, 177);
        QCOMPARE(w("lblYouTotal")->geometry().top(), 115);
        typeInto(w("edtDaihiki"), "250");
        QCOMPARE(w("lblYouTotal")->geometry().right() + 1, 181);
        QCOMPARE(w("lblYouTotal")->geometry().height(), 19);
    }

  private:
    // Pixels close to a colour: text is drawn smoothed, so few pixels hold
    // its colour exactly.
    static int countPixels(const QImage& image, const QColor& color) {
        constexpr int kTolerance = 48;
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c(image.pixel(x, y));
                n += std::abs(c.red() - color.red()) <= kTolerance &&
                     std::abs(c.green() - color.green()) <= kTolerance &&
                     std::abs(c.blue() - color.blue()) <= kTolerance;
            }
        return n;
    }
    // A point of the face's text field right of any caption.
    static QPoint faceSamplePoint(QComboBox* list) {
        QStyleOptionComboBox option;
        option.initFrom(list);
        const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                          QStyle::SC_ComboBoxEditField, list);
        return {field.right() - 6, field.center().y()};
    }
};

HAKOMARU_UI_TEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
