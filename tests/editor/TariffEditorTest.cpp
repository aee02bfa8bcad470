// The tariff editor window driven by object name, headless: an edit, undo,
// redo, a refused value, a flagged cell, the change list and the save, and
// the preview against the quote tool on the saved file.
#include "TariffEditor.h"
#include "ConflictChoice.h"
#include "UiTestSupport.h"

#include "IniStore.h"
#include "Sjis.h"
#include "TariffCheck.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QUndoStack>

using namespace hakomaru;

class TariffEditorTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        setPlatform(&platform_);
        QVERIFY(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("Charge.ini")).toStdString();
        shipped_ = readFileBytes(HAKOMARU_SHIPPED_TARIFF);
        QFile out(QString::fromStdString(path_));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(shipped_.data(), static_cast<qint64>(shipped_.size()));
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

        type(view, cell, QStringLiteral("12345")); // wider than the field
        QCOMPARE(cell.data().toString(), QStringLiteral("940"));
        QVERIFY(editor.statusBar()->currentMessage().contains(QStringLiteral("4 桁")));
        clock.restart();
        type(view, cell, QStringLiteral("1000"));
        const qint64 edited = clock.elapsed();
        QCOMPARE(cell.data().toString(), QStringLiteral("1000"));
        QVERIFY(editor.isWindowModified());
        const auto* you = editor.findChild<QLabel*>(QStringLiteral("lblYouTotal"));
        QCOMPARE(you->text(), QStringLiteral("¥1,000"));

        action(editor, "mnuEdit_Undo")->trigger();
        QCOMPARE(cell.data().toString(), QStringLiteral("940"));
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
        int listed = -1;
        QTimer::singleShot(0, [&] {
            QWidget* list = QApplication::activeModalWidget();
            QVERIFY(list && list->objectName() == QStringLiteral("frmChangeList"));
            listed = list->findChild<QTableWidget*>(QStringLiteral("lstChanges"))->rowCount();
            list->findChild<QPushButton*>(QStringLiteral("btnSave"))->click();
        });
        clock.restart();
        action(editor, "mnuFile_Save")->trigger();
        qInfo("shipped tariff: open %lld ms, one edit %lld ms, save %lld ms", opened, edited,
              clock.elapsed());
        QCOMPARE(listed, 1);
        QVERIFY(!editor.isWindowModified());
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
        QFile out(QString::fromStdString(path_));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(QByteArray("[地帯区分]\r\n東京=1\r\n")); // UTF-8
        out.close();
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
        QTimer::singleShot(0, [&] {
            QWidget* list = QApplication::activeModalWidget();
            QVERIFY(list && list->objectName() == QStringLiteral("frmChangeList"));
            auto* rows = list->findChild<QTableWidget*>(QStringLiteral("lstChanges"));
            for (int r = 0; r < rows->rowCount(); ++r)
                listed << rows->item(r, 4)->text() + QStringLiteral(" ") + rows->item(r, 5)->text();
            list->findChild<QPushButton*>(QStringLiteral("btnSave"))->click();
        });
        action(editor, "mnuFile_Save")->trigger();
        QCOMPARE(asked, keepMine < 0 ? -1 : 1);
        const TariffDocument saved(readFileBytes(path_));
        QCOMPARE(fieldOf(saved, {"ゆうパック", "第4地帯", "2kg以下"}), edited);
        QCOMPARE(fieldOf(saved, {"ゆうパック", "第4地帯", "4kg以下"}), QStringLiteral("1100"));
        QCOMPARE(fieldOf(saved, {outside[0], outside[1], outside[2]}),
                 keepMine == 1 ? edited : outside[3]);
        QVERIFY2(listed.contains(outside[3] + QStringLiteral(" ほかのプログラム")),
                 qPrintable(listed.join(QStringLiteral(", "))));
        QCOMPARE(editor.document().bytes(), saved.bytes());
        QVERIFY(!editor.isWindowModified());
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
        editor.findChild<QTabWidget*>(QStringLiteral("tabTables"))->setCurrentWidget(youpack());
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
        QFile out(QString::fromStdString(path_));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
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

    static QString fieldOf(const TariffDocument& document, const QStringList& field) {
        const auto at =
            document.find(field[0].toStdString(), field[1].toStdString(), field[2].toStdString());
        const TariffAddress& a = std::get<TariffAddress>(at);
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

    // Opens the cell's editor, types the text and presses Enter.
    static void type(QTableView* view, const QModelIndex& index, const QString& text) {
        auto* tabs = view->window()->findChild<QTabWidget*>(QStringLiteral("tabTables"));
        tabs->setCurrentWidget(view);
        view->setCurrentIndex(index);
        view->edit(index);
        auto* line = view->findChild<QLineEdit*>();
        QVERIFY(line);
        line->setText(text);
        QTest::keyClick(line, Qt::Key_Return);
        QTRY_VERIFY(!view->findChild<QLineEdit*>() || !view->findChild<QLineEdit*>()->isVisible());
    }

    test::RecordingPlatform platform_;
    QTemporaryDir dir_;
    std::filesystem::path path_;
    std::string shipped_;
};

QTEST_MAIN(TariffEditorTest)
#include "TariffEditorTest.moc"
