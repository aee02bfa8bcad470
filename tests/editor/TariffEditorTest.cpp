// The tariff editor window driven by object name, headless: an edit, undo,
// redo, a refused value, a flagged cell, the change list and the save, and
// the preview against the quote tool on the saved file.
#include "TariffEditor.h"
#include "CompareWindow.h"
#include "ConflictChoice.h"
#include "TariffSave.h"
#include "UiTestSupport.h"

#include "Settings.h"
#include "ini/IniStore.h"
#include "system/FileRead.h"
#include "system/FileSave.h"
#include "text/Sjis.h"
#include "tools/TariffCheck.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QUndoStack>

#include <atomic>
#include <thread>

using namespace hakomaru;

class TariffEditorTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        platform_ = test::RecordingPlatform();
        setPlatform(&platform_);
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("Charge.ini")).toStdString();
        shipped_ = readFileBytes(HAKOMARU_SHIPPED_TARIFF);
        writeTariff(shipped_);
    }

    void editUndoRedoSave() {
        QElapsedTimer clock;
        clock.start();
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        const qint64 opened = clock.restart();
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        auto* view = editor.findChild<QTableView*>(QStringLiteral("tblYoupack"));
        QVERIFY(view);
        const QModelIndex cell =
            indexOf(view, QStringLiteral("第4地帯"), QStringLiteral("2kg以下"));
        QCOMPARE(cell.data().toString(), QStringLiteral("940"));

        clock.restart();
        type(view, cell, QStringLiteral("1000"));
        const qint64 edited = clock.elapsed();
        QCOMPARE(cell.data().toString(), QStringLiteral("1000"));
        QVERIFY(editor.isWindowModified());
        // Marked, with the value it had, until undone or saved.
        QVERIFY(cell.data(Qt::BackgroundRole).isValid());
        QVERIFY(cell.data(Qt::ToolTipRole).toString().contains(QStringLiteral("前の値: 940")));
        const auto* you = editor.findChild<QLabel*>(QStringLiteral("lblYouTotal"));
        QCOMPARE(you->text(), QStringLiteral("¥1,000"));

        action(editor, "mnuEdit_Undo")->trigger();
        QCOMPARE(cell.data().toString(), QStringLiteral("940"));
        QVERIFY(!cell.data(Qt::BackgroundRole).isValid());
        QVERIFY(editor.document().bytes() == shipped_);
        QCOMPARE(you->text(), QStringLiteral("¥940"));
        action(editor, "mnuEdit_Redo")->trigger();
        QCOMPARE(cell.data().toString(), QStringLiteral("1000"));

        // A クロネコ fee below the shop discount: the checker's message on it.
        auto* cat = editor.findChild<QTableView*>(QStringLiteral("tblCat04")); // 関東発
        const QModelIndex low = indexOf(cat, QStringLiteral("近畿"), QStringLiteral("60cm以下"));
        type(cat, low, QStringLiteral("50"));
        QVERIFY(low.data(Qt::ToolTipRole).toString().contains(QStringLiteral("店頭持ち込み")));
        QVERIFY(low.data(Qt::BackgroundRole).isValid());
        QVERIFY(editor.findChild<QLabel*>(QStringLiteral("lblProblems"))
                    ->text()
                    .contains(QStringLiteral("1 件")));
        QVERIFY(!low.siblingAtColumn(1).data(Qt::BackgroundRole).isValid());
        action(editor, "mnuEdit_Undo")->trigger();
        QVERIFY(!low.data(Qt::BackgroundRole).isValid());

        // Save: the change list shows the one change, then the file is written.
        QStringList listed;
        confirmChangeList(listed);
        clock.restart();
        action(editor, "mnuFile_Save")->trigger();
        qInfo("shipped tariff: open %lld ms, one edit %lld ms, save %lld ms", opened, edited,
              clock.elapsed());
        QCOMPARE(listed.size(), 1);
        QVERIFY(!editor.isWindowModified());
        QVERIFY(!cell.data(Qt::BackgroundRole).isValid());
        const std::string saved = readFileBytes(path_);
        std::string expected = shipped_;
        const auto at = expected.find(toSjis("第4地帯=000 940"));
        QVERIFY(at != std::string::npos);
        expected.replace(at + toSjis("第4地帯=000").size(), 4, "1000");
        QVERIFY(saved == expected);
        QVERIFY(checkTariff(saved).empty());

        // The preview's totals are the quote tool's on the saved file.
        QProcess tool;
        tool.start(QStringLiteral(HAKOMARU_QUOTE_EXE),
                   {QStringLiteral("--tariff"), QString::fromStdString(path_),
                    QStringLiteral("--from"), QStringLiteral("東京"), QStringLiteral("--to"),
                    QStringLiteral("大阪"), QStringLiteral("--weight"), QStringLiteral("2kg"),
                    QStringLiteral("--size"), QStringLiteral("60cm")});
        QVERIFY(tool.waitForFinished());
        const QString out = QString::fromUtf8(tool.readAllStandardOutput());
        QVERIFY2(out.contains(QStringLiteral("第4地帯: ") + you->text()), qPrintable(out));
        QVERIFY(out.contains(QStringLiteral("クロネコ: ") +
                             editor.findChild<QLabel*>(QStringLiteral("lblCatTotal"))->text()));
    }

    void notShiftJisOpensReadOnly() {
        writeTariff("[地帯区分]\r\n東京=1\r\n"); // UTF-8
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        QVERIFY(!editor.findChild<QLabel*>(QStringLiteral("lblReadOnly"))->isHidden());
        auto* view = editor.findChild<QTableView*>(QStringLiteral("tblOptions"));
        QVERIFY(!(view->model()->flags(view->model()->index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(!action(editor, "mnuFile_Save")->isEnabled());
    }

    // Another program changes the file while it is open with edits of
    // 第4地帯; the save keeps both programs' changes, or, for the same field,
    // the value the user chose.
    void saveKeepsOutsideChange_data() {
        QTest::addColumn<QStringList>("outside"); // hakomaru-quote set arguments
        QTest::addColumn<int>("keepMine");        // the user's choice; -1: never asked
        QTest::addColumn<QString>("edited");      // 第4地帯 2kg以下 in the saved file
        const QStringList otherField{QStringLiteral("北海道"), QStringLiteral("関東"),
                                     QStringLiteral("60cm以下"), QStringLiteral("4321")};
        const QStringList sameField{QStringLiteral("ゆうパック"), QStringLiteral("第4地帯"),
                                    QStringLiteral("2kg以下"), QStringLiteral("1111")};
        QTest::newRow("another field") << otherField << -1 << QStringLiteral("1000");
        QTest::newRow("same field, mine") << sameField << 1 << QStringLiteral("1000");
        QTest::newRow("same field, theirs") << sameField << 0 << QStringLiteral("1111");
    }

    void saveKeepsOutsideChange() {
        QFETCH(QStringList, outside);
        QFETCH(int, keepMine);
        QFETCH(QString, edited);
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        int asked = -1;
        editor.setConflictChooser([&](const QString&, const std::vector<TariffConflict>& c) {
            asked = static_cast<int>(c.size());
            return std::optional(std::vector<bool>(c.size(), keepMine == 1));
        });
        auto* view = editor.findChild<QTableView*>(QStringLiteral("tblYoupack"));
        type(view, indexOf(view, QStringLiteral("第4地帯"), QStringLiteral("2kg以下")),
             QStringLiteral("1000"));
        type(view, indexOf(view, QStringLiteral("第4地帯"), QStringLiteral("4kg以下")),
             QStringLiteral("1100"));
        setOutside(outside);

        QStringList listed;
        confirmChangeList(listed);
        action(editor, "mnuFile_Save")->trigger();
        QCOMPARE(asked, keepMine < 0 ? -1 : 1);
        const TariffDocument saved(readFileBytes(path_));
        QCOMPARE(fieldOf(saved, {"ゆうパック", "第4地帯", "2kg以下"}), edited);
        QCOMPARE(fieldOf(saved, {"ゆうパック", "第4地帯", "4kg以下"}), QStringLiteral("1100"));
        QCOMPARE(fieldOf(saved, {outside[0], outside[1], outside[2]}),
                 keepMine == 1 ? edited : outside[3]);
        QVERIFY2(listed.filter(QStringLiteral("→ %1 ほかのプログラム").arg(outside[3])).size() == 1,
                 qPrintable(listed.join(QStringLiteral(", "))));
        QCOMPARE(editor.document().bytes(), saved.bytes());
        QVERIFY(!editor.isWindowModified());
    }

    // Another program writes the file between the confirmed list and the
    // write. A change in a field the editor did not touch, even from a
    // writer at work all the while, is written at once and reported after
    // the save; a field both changed is asked about, once, and the save
    // goes on with the choice. The save itself has no window.
    void saveAfterTheList_data() {
        QTest::addColumn<QStringList>("other"); // the other writer's field
        QTest::addColumn<bool>("atWork");       // it writes all the while, else once
        QTest::addColumn<int>("asked");         // conflict questions
        QTest::newRow("another field, a writer at work")
            << QStringList{QStringLiteral("北海道"), QStringLiteral("関東"),
                           QStringLiteral("60cm以下")}
            << true << 0;
        QTest::newRow("the same field, written once")
            << QStringList{QStringLiteral("ゆうパック"), QStringLiteral("第4地帯"),
                           QStringLiteral("2kg以下")}
            << false << 1;
    }

    void saveAfterTheList() {
        QFETCH(QStringList, other);
        QFETCH(bool, atWork);
        QFETCH(int, asked);
        const TariffDocument opened(shipped_);
        TariffDocument edited = opened;
        QVERIFY(!edited.set(
            std::get<TariffAddress>(edited.find("ゆうパック", "第4地帯", "2kg以下")), "1000"));
        std::atomic<int> writes = 0;
        std::atomic<bool> stop = false;
        auto write = [&] {
            editFile(path_, [&](const FileBytes& file) {
                TariffDocument now(file.bytes);
                const auto at = now.find(other[0].toStdString(), other[1].toStdString(),
                                         other[2].toStdString());
                now.set(std::get<TariffAddress>(at), std::to_string(2000 + writes % 1000));
                return std::optional<std::string>(now.bytes());
            });
            writes.fetch_add(1);
            writes.notify_all();
        };
        std::thread writer;
        struct Answers : SaveQuestions {
            std::function<void()> onConfirm;
            int confirmed = 0, asked = 0;
            std::optional<std::vector<bool>>
            chooseConflicts(const std::vector<TariffConflict>& c) override {
                ++asked;
                return std::vector<bool>(c.size(), true);
            }
            bool confirmChanges(const std::vector<TariffChange>&) override {
                if (++confirmed == 1)
                    onConfirm();
                return true;
            }
        } answers;
        answers.onConfirm = [&] {
            if (!atWork)
                return write();
            writer = std::thread([&] {
                while (!stop)
                    write();
            });
            // The file moves at least twice while the list is open.
            for (int seen = writes; seen < 2; seen = writes)
                writes.wait(seen);
        };
        const TariffSaveResult result = TariffSave(path_, opened, edited).run(answers);
        stop = true;
        if (writer.joinable())
            writer.join();
        QVERIFY(result.outcome == TariffSaveResult::Outcome::Saved);
        QCOMPARE(answers.confirmed, 1);
        QCOMPARE(answers.asked, asked);
        QCOMPARE(fieldOf(TariffDocument(readFileBytes(path_)),
                         {QStringLiteral("ゆうパック"), QStringLiteral("第4地帯"),
                          QStringLiteral("2kg以下")}),
                 QStringLiteral("1000"));
        QCOMPARE(result.unseen.size(), std::size_t(asked == 0));
    }

    // A field has one name everywhere, the edit core's: the undo step, the
    // cell's tooltip, a paste's refused values.
    void fieldNames_data() {
        QTest::addColumn<QStringList>("field"); // section, key, column ("" for none)
        QTest::addColumn<QString>("name");
        QTest::newRow("fee") << QStringList{"ゆうパック", "第4地帯", "2kg以下"}
                             << "ゆうパック 第4地帯 2kg以下";
        QTest::newRow("option") << QStringList{"速達", "2kg", ""}
                                << "オプション ゆうパック 速達 2kg以下";
        QTest::newRow("zone") << QStringList{"地帯区分", "東京", "大阪"} << "地帯区分 東京 大阪";
    }

    void fieldNames() {
        QFETCH(QStringList, field);
        QFETCH(QString, name);
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        const TariffAddress at = addressOf(editor.document(), field);
        editor.showField(at);
        const QModelIndex cell = editor.currentTable()->currentIndex();
        QVERIFY(editor.currentTable()->model()->setData(cell, QStringLiteral("7")));
        QCOMPARE(editor.undoStack()->text(0), name);
        QVERIFY(cell.data(Qt::ToolTipRole).toString().startsWith("<qt><b>" + name + "</b>"));
        QString refused;
        editor.setPasteChooser([&](const std::vector<PasteRefusal>& r, std::size_t) {
            refused = QString::fromStdString(r[0].field.text());
            return false;
        });
        editor.setFields({{at, "x"}}, QStringLiteral("paste"));
        QCOMPARE(refused, name);
    }

    // A save whose file would be larger than every reader takes is refused
    // with the save loop's reason; the file and the unsaved edit stay.
    void saveRefusedPastTheReadersLimit() {
        const std::string bytes =
            shipped_ + ";" + std::string(kIniFileLimit - shipped_.size() - 3, '-') + "\r\n";
        writeTariff(bytes);
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        QVERIFY(editor.setFields({{addressOf(editor.document(), {"速達", "2kg", ""}), "3000"}},
                                 QStringLiteral("edit")));
        QStringList listed;
        confirmChangeList(listed);
        QVERIFY(!editor.save());
        QCOMPARE(platform_.errors.size(), 1);
        QVERIFY(platform_.errors[0].contains(
            QStringLiteral("保存すると 16,777,217 バイトになり、上限の 16 MiB を超えます")));
        QVERIFY(readFileBytes(path_) == bytes);
        QVERIFY(editor.isWindowModified());
    }

    // The window's place is saved where the window system lets a program
    // place its windows; elsewhere (native Wayland) the saved place stays
    // for a session that does, and only the size and panes are saved.
    void placeKeptWhereWindowsAreNotPlaced_data() {
        QTest::addColumn<QString>("platform"); // Qt's platform name
        QTest::addColumn<bool>("kept");
        QTest::newRow("X11") << "xcb" << false;
        QTest::newRow("Windows") << "windows" << false;
        QTest::newRow("Wayland") << "wayland" << true;
        QTest::newRow("Wayland, EGL") << "wayland-egl" << true;
    }

    void placeKeptWhereWindowsAreNotPlaced() {
        QFETCH(QString, platform);
        QFETCH(bool, kept);
        const Settings settings(dir_.filePath(QStringLiteral("hakomaru-tariff.ini")).toStdString());
        settings.saveWindowPlace({40, 20, 900, 600, false, 150, 250});
        saveEditorWindow(settings, {-3, -30, 800, 500, false, 140, 260}, platform.toStdString());
        const WindowPlace place = settings.windowPlace();
        QCOMPARE(QPoint(place.left, place.top), kept ? QPoint(40, 20) : QPoint(-3, -30));
        QCOMPARE(QSize(place.width, place.height), QSize(800, 500));
        QCOMPARE(place.sideWidth, 140);
    }

    // The side list is as wide as its names; a width the user gives it and
    // the preview's come back at the next start.
    void panesKept() {
        const std::filesystem::path file =
            dir_.filePath(QStringLiteral("hakomaru-tariff.ini")).toStdString();
        QList<int> moved;
        for (int start = 0; start < 2; ++start) {
            TfrmTariffEditor editor;
            editor.rememberPlaceIn(file);
            QVERIFY(editor.openFile(path_));
            editor.show();
            QVERIFY(QTest::qWaitForWindowExposed(&editor));
            auto* panes = editor.findChild<QSplitter*>(QStringLiteral("splTables"));
            if (start == 1) {
                QCOMPARE(panes->sizes()[0], moved[0]);
                QCOMPARE(panes->sizes()[2], moved[2]);
                break;
            }
            auto* list = editor.findChild<QTreeWidget*>(QStringLiteral("lstTables"));
            // Narrower than a list's natural width, yet every name whole.
            QVERIFY(panes->sizes()[0] < QTreeWidget().sizeHint().width() * 3 / 4);
            QVERIFY(panes->sizes()[2] >= panes->widget(2)->minimumSizeHint().width());
            QVERIFY(static_cast<QAbstractItemView*>(list)->sizeHintForColumn(0) <=
                    list->viewport()->width()); // every name whole
            panes->setSizes(
                {panes->sizes()[0] + 60, panes->sizes()[1] - 100, panes->sizes()[2] + 40});
            moved = panes->sizes();
            QVERIFY(editor.close());
        }
    }

    // The choice dialog answers, row by row, which value to save.
    void conflictChoiceByRow() {
        const TariffConflict c{"ゆうパック", "第4地帯", "2kg以下", "940", "1000", "1111"};
        TfrmConflictChoice choice(QStringLiteral("Charge.ini"), {c, c});
        choice.findChild<QComboBox*>(QStringLiteral("cmbKeep1"))->setCurrentIndex(1);
        QCOMPARE(choice.keepMine(), (std::vector<bool>{true, false}));
    }

    // With no unsaved edits a change on disk is shown at once, the selected
    // cell still selected; with unsaved edits the view stays as it is.
    void reloadOnOutsideChange() {
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        auto youpack = [&] { return editor.findChild<QTableView*>(QStringLiteral("tblYoupack")); };
        auto cell = [&] {
            return indexOf(youpack(), QStringLiteral("第4地帯"), QStringLiteral("2kg以下"));
        };
        editor.showTable(1);
        youpack()->setCurrentIndex(cell());
        setOutside({QStringLiteral("ゆうパック"), QStringLiteral("第4地帯"),
                    QStringLiteral("2kg以下"), QStringLiteral("1234")});
        QTRY_COMPARE(cell().data().toString(), QStringLiteral("1234"));
        QCOMPARE(youpack()->currentIndex(), cell());

        type(youpack(), cell(), QStringLiteral("1500"));
        setOutside({QStringLiteral("複数口"), QStringLiteral("料金"), QStringLiteral("150")});
        QTRY_VERIFY(editor.statusBar()->currentMessage().contains(QStringLiteral("重ねます")));
        QCOMPARE(cell().data().toString(), QStringLiteral("1500"));
    }

    // The status bar counts what `check` reports on the file, whatever its
    // encoding, and every cell a problem names is red: a zone cell whose
    // zone has no fee row too.
    void problemsAsCheckReports_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("cell"); // table, row, column; empty: none
        QTest::newRow("UTF-8") << QByteArray("[地帯区分]\r\n東京=1\r\n") << QStringList();
        std::string zone = readFileBytes(HAKOMARU_SHIPPED_TARIFF);
        zone[zone.find(toSjis("東京  =")) + toSjis("東京  =").size() + 30] = 'Z'; // 大阪
        QTest::newRow("zone without fees")
            << QByteArray::fromStdString(zone)
            << QStringList{QStringLiteral("tblZone"), QStringLiteral("東京"),
                           QStringLiteral("大阪")};
    }

    void problemsAsCheckReports() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, cell);
        writeTariff(bytes.toStdString());
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        const auto reported = checkTariff(bytes.toStdString()).size();
        QVERIFY(reported > 0);
        QVERIFY(editor.findChild<QLabel*>(QStringLiteral("lblProblems"))
                    ->text()
                    .contains(QStringLiteral("問題が %1 件").arg(reported)));
        if (cell.isEmpty())
            return;
        const QModelIndex flagged =
            indexOf(editor.findChild<QTableView*>(cell[0]), cell[1], cell[2]);
        QVERIFY(flagged.data(Qt::BackgroundRole).isValid());
        QVERIFY(flagged.data(Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("料金行がありません")));
    }

    // F8 and Shift+F8 go from cell to flagged cell through the tables,
    // round at the end, each shown whole however far off-screen; the
    // problem list goes to a problem's cell; a tooltip names the cell in
    // table words and wraps.
    void problemsToGoTo() {
        std::string bytes = shipped_;
        bytes[bytes.find(toSjis("東京  =")) + toSjis("東京  =").size() + 30] = 'Z'; // 大阪
        bytes.replace(bytes.find(toSjis("第4地帯=000 940")), toSjis("第4地帯=000 940").size(),
                      toSjis("第4地帯=000 9x0"));
        writeTariff(bytes);
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        const QStringList zone{QStringLiteral("tblZone"), QStringLiteral("東京"),
                               QStringLiteral("大阪")};
        const QStringList fee{QStringLiteral("tblYoupack"), QStringLiteral("第4地帯"),
                              QStringLiteral("2kg以下")};
        const std::vector<std::pair<QKeySequence, QStringList>> steps{
            {Qt::Key_F8, zone},
            {Qt::Key_F8, fee},
            {Qt::Key_F8, zone},
            {Qt::SHIFT | Qt::Key_F8, fee},
            {Qt::SHIFT | Qt::Key_F8, zone}};
        for (const auto& [key, cell] : steps) {
            QTest::keySequence(&editor, key);
            QTableView* view = editor.currentTable();
            QCOMPARE(view->objectName(), cell[0]);
            const QModelIndex index = indexOf(view, cell[1], cell[2]);
            QCOMPARE(view->currentIndex(), index);
            QVERIFY(view->viewport()->rect().contains(view->visualRect(index)));
        }
        // The cell and the place of its problem named by the edit core.
        const QString tip = editor.currentTable()->currentIndex().data(Qt::ToolTipRole).toString();
        QVERIFY2(tip.startsWith(QStringLiteral("<qt><b>地帯区分 東京 大阪</b><br>ゆうパック "
                                               "第Z地帯: この地帯の料金行がありません")),
                 qPrintable(tip));

        auto* list = editor.findChild<QTableView*>(QStringLiteral("lstProblems"));
        action(editor, "mnuCheck_List")->trigger();
        QVERIFY(list->isVisible());
        int row = 0;
        while (row < list->model()->rowCount() && list->model()->index(row, 0).data().toString() !=
                                                      QStringLiteral("ゆうパック 第4地帯 2kg以下"))
            ++row;
        QVERIFY(row < list->model()->rowCount());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 1)).center());
        QCOMPARE(editor.currentTable()->objectName(), fee[0]);
        QCOMPARE(editor.currentTable()->currentIndex(),
                 indexOf(editor.currentTable(), fee[1], fee[2]));
    }

    // Typing is checked key by key: a refused key leaves the cell editor's
    // text as it was and says what the field holds; full-width digits and
    // letters are taken as half-width ones.
    void typing_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("cell"); // row, column
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("text"); // in the cell editor after the keys
        QTest::addColumn<QString>("rule"); // said at a refused key; empty: none refused
        const QStringList fee{QStringLiteral("第4地帯"), QStringLiteral("2kg以下")};
        const QString digits = QStringLiteral("この欄は 4 桁までの数字です");
        QTest::newRow("letters and a fifth digit") << "tblYoupack" << fee << "ab12345x"
                                                   << "1234" << digits;
        QTest::newRow("full-width digits") << "tblYoupack" << fee << "１４００"
                                           << "1400"
                                           << "";
        QTest::newRow("grouped option")
            << "tblOptions"
            << QStringList{QStringLiteral("クロネコ 複数口"), QStringLiteral("料金")} << "1,5000"
            << "1,500" << QStringLiteral("この欄は 0 から 99,999 までの数字です");
        QTest::newRow("zone without fees, then a full-width zone")
            << "tblZone" << QStringList{QStringLiteral("東京"), QStringLiteral("大阪")} << "Z５"
            << "5" << QStringLiteral("料金行のある地帯: 1 2 3 4 5 6 7 8 9");
    }

    void typing() {
        QFETCH(QString, table);
        QFETCH(QStringList, cell);
        QFETCH(QString, keys);
        QFETCH(QString, text);
        QFETCH(QString, rule);
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        auto* view = editor.findChild<QTableView*>(table);
        const QModelIndex index = indexOf(view, cell[0], cell[1]);
        QVERIFY(index.isValid());
        editor.findChild<QStackedWidget*>(QStringLiteral("stkTables"))->setCurrentWidget(view);
        view->edit(index);
        QPointer<QLineEdit> line = view->findChild<QLineEdit*>(QStringLiteral("edtCell"));
        QVERIFY(line);
        line->selectAll();
        typeKeys(line, keys);
        QCOMPARE(line->text(), text);
        QCOMPARE(editor.statusBar()->currentMessage().contains(rule) && !rule.isEmpty(),
                 !rule.isEmpty());
        QTest::keyClick(line, Qt::Key_Return);
        QTRY_VERIFY(!line || !line->isVisible());
        QCOMPARE(index.data().toString(), QString(text).remove(QLatin1Char(',')));
    }

    // A 3 x 4 block from a spreadsheet with one value that does not fit:
    // the refusal is listed and nothing pasted until the user accepts the
    // rest, which then comes in as one undo step; the block copied out is
    // the same text.
    void pasteBlock() {
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        auto* view = editor.findChild<QTableView*>(QStringLiteral("tblYoupack"));
        editor.showTable(1);
        const QModelIndex corner =
            indexOf(view, QStringLiteral("第2地帯"), QStringLiteral("4kg以下"));
        view->setCurrentIndex(corner);
        platform_.clipboard << QStringLiteral("1001\t1002\t1003\t1004\r\n"
                                              "2001\t\"20,02\"\t2003\t2004\r\n"
                                              "3001\t3002\t3003\t3004\r\n");
        QStringList answers{QStringLiteral("btnCancel"), QStringLiteral("btnPasteRest")};
        QStringList listed;
        for (const QString& answer : answers) {
            QTimer::singleShot(0, [&] {
                QWidget* dialog = QApplication::activeModalWidget();
                QVERIFY(dialog && dialog->objectName() == QStringLiteral("frmPasteRefusals"));
                auto* list = dialog->findChild<QTableWidget*>(QStringLiteral("lstRefused"));
                for (int r = 0; r < list->rowCount(); ++r)
                    listed << list->item(r, 3)->text() + QStringLiteral(": ") +
                                  list->item(r, 4)->text();
                dialog->findChild<QPushButton*>(answer)->click();
            });
            action(editor, "mnuEdit_Paste")->trigger();
            if (answer == QStringLiteral("btnCancel"))
                QVERIFY(editor.document().bytes() == shipped_);
        }
        QCOMPARE(listed.size(), 2);
        QCOMPARE(listed[0], QStringLiteral("20,02: この欄は 4 桁までの数字です"));
        QCOMPARE(editor.undoStack()->count(), 1);
        QCOMPARE(corner.siblingAtRow(corner.row() + 2)
                     .siblingAtColumn(corner.column() + 3)
                     .data()
                     .toString(),
                 QStringLiteral("3004"));
        const QString refusedCell = corner.siblingAtRow(corner.row() + 1)
                                        .siblingAtColumn(corner.column() + 1)
                                        .data()
                                        .toString();
        QVERIFY(refusedCell != QStringLiteral("2002"));

        view->selectionModel()->select(
            QItemSelection(
                corner, corner.siblingAtRow(corner.row() + 2).siblingAtColumn(corner.column() + 3)),
            QItemSelectionModel::ClearAndSelect);
        action(editor, "mnuEdit_Copy")->trigger();
        QCOMPARE(platform_.clipboard.last(), QStringLiteral("1001\t1002\t1003\t1004\n"
                                                            "2001\t%1\t2003\t2004\n"
                                                            "3001\t3002\t3003\t3004\n")
                                                 .arg(refusedCell));
        action(editor, "mnuEdit_Undo")->trigger();
        QVERIFY(editor.document().bytes() == shipped_);
    }

    // ファイル → 比較 lists what another tariff holds differently and takes a
    // chosen difference in, undoably, then chooses the next one; it is a
    // window of its own, its values side by side whatever its width; a
    // double click shows the field whole, here the zone table's last column.
    void compareAndTake() {
        const std::filesystem::path other = dir_.filePath(QStringLiteral("new.ini")).toStdString();
        std::filesystem::copy_file(path_, other);
        const std::filesystem::path open = path_;
        path_ = other;
        setOutside({QStringLiteral("ゆうパック"), QStringLiteral("第4地帯"),
                    QStringLiteral("2kg以下"), QStringLiteral("990")});
        setOutside({QStringLiteral("速達"), QStringLiteral("2kg"), QStringLiteral("333")});
        setOutside({QStringLiteral("地帯区分"), QStringLiteral("東京"), QStringLiteral("沖縄"),
                    QStringLiteral("8")});
        path_ = open;
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QVERIFY(editor.compareWith(other));
        auto* compare = editor.findChild<QDialog*>(QStringLiteral("frmCompare"));
        QCOMPARE(compare->windowType(), Qt::Window);
        auto* list = compare->findChild<QTableWidget*>(QStringLiteral("lstDifferences"));
        QCOMPARE(list->rowCount(), 3);
        QCOMPARE(list->item(1, 4)->text(), QStringLiteral("990"));
        compare->resize(1600, compare->height());
        QTRY_COMPARE(list->columnWidth(4),
                     std::max(static_cast<QAbstractItemView*>(list)->sizeHintForColumn(4),
                              list->horizontalHeader()->sectionSizeHint(4)));
        list->selectRow(1);
        compare->findChild<QPushButton*>(QStringLiteral("btnTake"))->click();
        QCOMPARE(fieldOf(editor.document(), {QStringLiteral("ゆうパック"),
                                             QStringLiteral("第4地帯"), QStringLiteral("2kg以下")}),
                 QStringLiteral("990"));
        QCOMPARE(list->rowCount(), 2);
        QCOMPARE(list->selectionModel()->selectedRows().value(0).row(), 1); // 速達 2kg
        action(editor, "mnuEdit_Undo")->trigger();
        QVERIFY(editor.document().bytes() == shipped_);
        QCOMPARE(list->rowCount(), 3);

        editor.showTable(1); // from another table, not laid out yet
        const QPoint zoneRow = list->visualRect(list->model()->index(0, 2)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, zoneRow);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, zoneRow);
        QTableView* zones = editor.currentTable();
        QCOMPARE(zones->objectName(), QStringLiteral("tblZone"));
        const QModelIndex okinawa = indexOf(zones, QStringLiteral("東京"), QStringLiteral("沖縄"));
        QCOMPARE(zones->currentIndex(), okinawa);
        QVERIFY2(zones->viewport()->rect().contains(zones->visualRect(okinawa)),
                 qPrintable(QStringLiteral("%1 %2 %3 %4 in %5 %6")
                                .arg(zones->visualRect(okinawa).x())
                                .arg(zones->visualRect(okinawa).y())
                                .arg(zones->visualRect(okinawa).width())
                                .arg(zones->visualRect(okinawa).height())
                                .arg(zones->viewport()->width())
                                .arg(zones->viewport()->height())));
    }

    // The comparison's frame beside the editor's, on the side with room;
    // without room on any side the editor's frame gives it room.
    void comparisonBeside_data() {
        QTest::addColumn<QRect>("editor");
        QTest::addColumn<QRect>("editorAfter");
        QTest::addColumn<QRect>("comparison"); // wanted: 500 x 300
        QTest::newRow("right") << QRect(100, 50, 1000, 600) << QRect(100, 50, 1000, 600)
                               << QRect(1100, 50, 500, 600);
        QTest::newRow("left") << QRect(800, 50, 1000, 600) << QRect(800, 50, 1000, 600)
                              << QRect(300, 50, 500, 600);
        QTest::newRow("below") << QRect(200, 0, 1600, 700) << QRect(200, 0, 1600, 700)
                               << QRect(200, 700, 1600, 300);
        QTest::newRow("above") << QRect(200, 340, 1600, 700) << QRect(200, 340, 1600, 700)
                               << QRect(200, 40, 1600, 300);
        QTest::newRow("no room") << QRect(0, 0, 1920, 1040) << QRect(0, 0, 1920, 740)
                                 << QRect(0, 740, 1920, 300);
    }

    void comparisonBeside() {
        QFETCH(QRect, editor);
        QFETCH(QRect, editorAfter);
        QFETCH(QRect, comparison);
        const SideBySide placed = sideBySide(editor, QSize(500, 300), QRect(0, 0, 1920, 1040));
        QCOMPARE(placed.first, editorAfter);
        QCOMPARE(placed.second, comparison);
    }

    // Finding and reading: the side list shows each table; the zone table
    // has no cells for the separator rows, whose regions head the columns;
    // the preview offers no separator row.
    void sideList_data() {
        QTest::addColumn<QStringList>("path"); // side list items, top down
        QTest::addColumn<QString>("table");
        QTest::newRow("zones") << QStringList{QStringLiteral("地帯区分")} << "tblZone";
        QTest::newRow("クロネコ heading") << QStringList{QStringLiteral("クロネコ")} << "tblCat01";
        QTest::newRow("クロネコ from 関東")
            << QStringList{QStringLiteral("クロネコ"), QStringLiteral("関東発")} << "tblCat04";
        QTest::newRow("book parcels")
            << QStringList{QStringLiteral("普通郵便・冊子小包"), QStringLiteral("冊子小包")}
            << "tblBook";
        QTest::newRow("remittance")
            << QStringList{QStringLiteral("オプション"), QStringLiteral("送金手数料")}
            << "tblRemittance";
    }

    void sideList() {
        QFETCH(QStringList, path);
        QFETCH(QString, table);
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        auto* list = editor.findChild<QTreeWidget*>(QStringLiteral("lstTables"));
        QTreeWidgetItem* item = nullptr;
        for (const QString& name : path) {
            QTreeWidgetItem* parent = item;
            item = nullptr;
            const int count = parent ? parent->childCount() : list->topLevelItemCount();
            for (int i = 0; i < count; ++i) {
                QTreeWidgetItem* child = parent ? parent->child(i) : list->topLevelItem(i);
                if (child->text(0) == name)
                    item = child;
            }
            QVERIFY2(item, qPrintable(name));
        }
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
        QCOMPARE(editor.currentTable()->objectName(), table);
    }

    void separatorsAreHeadings() {
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        const QAbstractItemModel* zones =
            editor.findChild<QTableView*>(QStringLiteral("tblZone"))->model();
        QCOMPARE(zones->columnCount(), 48); // 55 destination rows, 7 of them separators
        for (int c = 0; c < zones->columnCount(); ++c)
            QVERIFY(
                !zones->headerData(c, Qt::Horizontal).toString().startsWith(QStringLiteral("━")));
        auto* to = editor.findChild<QComboBox*>(QStringLiteral("cmbTo"));
        const auto* rows = qobject_cast<const QStandardItemModel*>(to->model());
        QVERIFY(!(rows->item(8)->flags() & Qt::ItemIsEnabled)); // ━━関東・信越
        QVERIFY(rows->item(9)->flags() & Qt::ItemIsEnabled);    // 茨城
        // Options say what they price.
        const QAbstractItemModel* options =
            editor.findChild<QTableView*>(QStringLiteral("tblOptions"))->model();
        const QModelIndex cool =
            indexOf(editor.findChild<QTableView*>(QStringLiteral("tblOptions")),
                    QStringLiteral("クロネコ クール 60cm以下・2kg以下"), QStringLiteral("内容"));
        QCOMPARE(options->data(cool).toString(),
                 QStringLiteral("60cm以下・2kg以下（[クール] 料金1）"));
    }

    // A fee that is not a number: the reason in the preview's plain text,
    // never as a total.
    void previewFailure() {
        std::string bytes = shipped_;
        bytes.replace(bytes.find(toSjis("第4地帯=000 940")), toSjis("第4地帯=000 940").size(),
                      toSjis("第4地帯=000 9x0"));
        writeTariff(bytes);
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        QCOMPARE(editor.findChild<QLabel*>(QStringLiteral("lblYouTotal"))->text(),
                 QStringLiteral("—"));
        QVERIFY(editor.findChild<QLabel*>(QStringLiteral("lblPreviewError"))
                    ->text()
                    .contains(QStringLiteral("9x0' は整数ではありません")));
    }

    // The preview follows an edit of every table it prices from: one
    // letter and one book parcel of the postal weight chosen, and, with an
    // amount for cash on delivery, the remittance fee.
    void previewOfPostalAndRemittance_data() {
        QTest::addColumn<QStringList>("field"); // section, key, column ("" for none)
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("label");
        QTest::newRow("letter") << QStringList{"普通郵便", "料金", "定形外 50g以下"} << ""
                                << "lblLetterTotal";
        QTest::newRow("book") << QStringList{"冊子小包", "料金", "150g以下"} << ""
                              << "lblBookTotal";
        QTest::newRow("letter's cash on delivery") << QStringList{"普通郵便", "代引料金", ""} << "1"
                                                   << "lblLetterTotal";
        QTest::newRow("remittance") << QStringList{"電信払込", "料金1", ""} << "1"
                                    << "lblRemittance";
    }

    void previewOfPostalAndRemittance() {
        QFETCH(QStringList, field);
        QFETCH(QString, amount);
        QFETCH(QString, label);
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        editor.findChild<QLineEdit*>(QStringLiteral("edtAmount"))->setText(amount);
        const auto* shown = editor.findChild<QLabel*>(label);
        const QString before = shown->text();
        QVERIFY2(before.startsWith(QStringLiteral("¥")), qPrintable(before));
        QVERIFY(editor.setFields({{addressOf(editor.document(), field), "777"}},
                                 QStringLiteral("edit")));
        QVERIFY2(shown->text() != before, qPrintable(before));
    }

    // 名前を付けて保存 writes the edited tariff as another file and edits
    // that one from then on; a file already there is replaced only when the
    // user agrees; what is not a file is never written.
    void saveAs_data() {
        QTest::addColumn<QString>("there"); // "", "file" or "folder"
        QTest::addColumn<bool>("agree");
        QTest::addColumn<bool>("saved");
        QTest::newRow("new file") << "" << false << true;
        QTest::newRow("a file, kept") << "file" << false << false;
        QTest::newRow("a file, replaced") << "file" << true << true;
        QTest::newRow("a folder") << "folder" << true << false;
    }

    void saveAs() {
        QFETCH(QString, there);
        QFETCH(bool, agree);
        QFETCH(bool, saved);
        const std::filesystem::path copy = dir_.filePath(QStringLiteral("copy.ini")).toStdString();
        std::filesystem::remove_all(copy);
        if (there == QStringLiteral("file"))
            QVERIFY(QFile(QString::fromStdString(copy)).open(QIODevice::WriteOnly));
        if (there == QStringLiteral("folder"))
            std::filesystem::create_directory(copy);
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        int asked = 0;
        editor.setReplaceChooser([&](const QString&) { return ++asked, agree; });
        QVERIFY(editor.setFields(
            {{addressOf(editor.document(), {"ゆうパック", "第4地帯", "2kg以下"}), "1000"}},
            QStringLiteral("edit")));
        QCOMPARE(editor.saveAs(copy), saved);
        QCOMPARE(asked, there == QStringLiteral("file") ? 1 : 0);
        QCOMPARE(platform_.errors.size(), there == QStringLiteral("folder") ? 1 : 0);
        QVERIFY(readFileBytes(path_) == shipped_);
        QCOMPARE(editor.isWindowModified(), !saved);
        if (there != QStringLiteral("folder"))
            QCOMPARE(readFileBytes(copy) == editor.document().bytes(), saved);
        QCOMPARE(editor.windowTitle().contains(QStringLiteral("copy.ini")), saved);
    }

    // Every menu item has a mnemonic; ヘルプ opens the editor's own page, or
    // says where it is.
    void menus() {
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        for (QAction* menu : editor.menuBar()->actions())
            for (QAction* item : menu->menu()->actions())
                QVERIFY2(item->isSeparator() || item->text().contains(QLatin1Char('&')),
                         qPrintable(item->text()));
        action(editor, "mnuHelp_Use")->trigger();
        QCOMPARE(platform_.opened.size(), 1);
        QVERIFY(platform_.opened[0].endsWith(QStringLiteral("tariff.htm")));
        platform_.shellOpens = false; // no program shows it: a message says where it is
        action(editor, "mnuHelp_Use")->trigger();
        QCOMPARE(platform_.messages.size(), 1);
        QVERIFY(platform_.messages[0].contains(QStringLiteral("tariff.htm")));
    }

    // Redo by Ctrl+Y as by Ctrl+Shift+Z; the status bar forgets the file
    // shown before.
    void shortcutsAndStatus() {
        TfrmTariffEditor editor;
        QVERIFY(editor.openFile(path_));
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        auto* view = editor.findChild<QTableView*>(QStringLiteral("tblYoupack"));
        const QModelIndex cell =
            indexOf(view, QStringLiteral("第4地帯"), QStringLiteral("2kg以下"));
        type(view, cell, QStringLiteral("1000"));
        for (const QKeySequence& redo :
             {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}) {
            action(editor, "mnuEdit_Undo")->trigger();
            QCOMPARE(cell.data().toString(), QStringLiteral("940"));
            QTest::keySequence(&editor, redo);
            QCOMPARE(cell.data().toString(), QStringLiteral("1000"));
        }
        editor.statusBar()->showMessage(QStringLiteral("2 か所を書き換えて保存しました"));
        QVERIFY(editor.openFile(path_));
        QVERIFY(editor.statusBar()->currentMessage().isEmpty());
    }

  private:
    // `hakomaru-quote set` on the open file, as another program.
    void setOutside(const QStringList& field) {
        QProcess tool;
        tool.start(QStringLiteral(HAKOMARU_QUOTE_EXE),
                   QStringList{QStringLiteral("set"), QStringLiteral("--tariff"),
                               QString::fromStdString(path_)} +
                       field);
        QVERIFY(tool.waitForFinished());
        QCOMPARE(tool.exitCode(), 0);
    }

    void writeTariff(const std::string& bytes) {
        QFile out(QString::fromStdString(path_));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

    static TariffAddress addressOf(const TariffDocument& document, const QStringList& field) {
        return std::get<TariffAddress>(document.find(
            field[0].toStdString(), field[1].toStdString(),
            field[2].isEmpty() ? std::nullopt : std::optional(field[2].toStdString())));
    }

    // Confirms the change list that the next save shows, keeping its rows
    // as "表 行 欄: 変更前 → 変更後 変更したもの".
    static void confirmChangeList(QStringList& listed) {
        QTimer::singleShot(0, [&listed] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog && dialog->objectName() == QStringLiteral("frmChangeList"));
            auto* rows = dialog->findChild<QTableWidget*>(QStringLiteral("lstChanges"));
            for (int r = 0; r < rows->rowCount(); ++r) {
                auto text = [&](int c) { return rows->item(r, c)->text().toStdString(); };
                listed << QString::fromStdString(TariffFieldName{text(0), text(1), text(2)}.text() +
                                                 ": " + text(3) + " → " + text(4) + " " + text(5));
            }
            dialog->findChild<QPushButton*>(QStringLiteral("btnSave"))->click();
        });
    }

    static QString fieldOf(const TariffDocument& document, const QStringList& field) {
        const TariffAddress a = addressOf(document, field);
        return QString::fromStdString(
            TariffDocument::shown(document.grids()[a.grid].cell(a.row, a.column)));
    }

    static QAction* action(QWidget& window, const char* name) {
        auto* found = window.findChild<QAction*>(QString::fromLatin1(name));
        Q_ASSERT(found);
        return found;
    }

    static QModelIndex indexOf(QTableView* view, const QString& row, const QString& column) {
        const QAbstractItemModel* model = view->model();
        int r = 0, c = 0;
        while (r < model->rowCount() && model->headerData(r, Qt::Vertical).toString() != row)
            ++r;
        while (c < model->columnCount() &&
               model->headerData(c, Qt::Horizontal).toString() != column)
            ++c;
        return model->index(r, c);
    }

    // Keys as an input method sends them: each character as the key's text,
    // full-width ones too.
    static void typeKeys(QWidget* widget, const QString& keys) {
        for (const QChar key : keys)
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(key),
                                Qt::NoModifier);
    }

    // Opens the cell's editor, types the keys and presses Enter.
    static void type(QTableView* view, const QModelIndex& index, const QString& keys) {
        view->window()
            ->findChild<QStackedWidget*>(QStringLiteral("stkTables"))
            ->setCurrentWidget(view);
        view->setCurrentIndex(index);
        view->edit(index);
        // The view deletes its cell editor once the edit is committed.
        QPointer<QLineEdit> line = view->findChild<QLineEdit*>(QStringLiteral("edtCell"));
        QVERIFY(line);
        line->selectAll();
        typeKeys(line, keys);
        QTest::keyClick(line, Qt::Key_Return);
        QTRY_VERIFY(!line || !line->isVisible());
    }

    test::RecordingPlatform platform_;
    QTemporaryDir dir_;
    std::filesystem::path path_;
    std::string shipped_;
};

QTEST_MAIN(TariffEditorTest)
#include "TariffEditorTest.moc"
