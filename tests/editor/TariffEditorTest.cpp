// The tariff editor window driven by object name, headless: an edit, undo,
// redo, a refused value, a flagged cell, the change list and the save, and
// the preview against the quote tool on the saved file.
#include "TariffEditor.h"
#include "UiTestSupport.h"

#include "IniStore.h"
#include "Sjis.h"
#include "TariffCheck.h"

#include <QAction>
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

  private:
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
