// The three custom controls and the owner-drawn list, on their own.
#include "ColorValue.h"
#include "Main.h"
#include "UiTestSupport.h"
#include "controls/ActiveColorCheckBox.h"
#include "controls/LabelEx.h"
#include "controls/OwnerDrawComboBox.h"
#include "controls/RightEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>

using namespace hakomaru;

namespace {

void sendEnter(QWidget* w) {
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), w->mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(w, &enter);
}
void sendLeave(QWidget* w) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
}
QColor textColor(const QWidget* w) {
    return w->palette().color(QPalette::Active, QPalette::WindowText);
}

} // namespace

class ControlsTest : public QObject {
    Q_OBJECT

  private slots:
    // ---- TRightEdit -------------------------------------------------------

    void rightEditFilter_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("digits and signs") << "12*,-.3"
                                          << "12*,-.3";
        QTest::newRow("letters and plus discarded") << "a1+b2"
                                                    << "12";
        QTest::newRow("blank discarded") << "1 2"
                                         << "12";
        QTest::newRow("full-width digit discarded") << QStringLiteral("1２") << "1";
    }
    void rightEditFilter() {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        TRightEdit edit;
        // A window handler that lets everything through.
        edit.onKeyPress = [](QChar&) {};
        for (QChar c : typed)
            QTest::keyClick(&edit, c.toLatin1() ? c.toLatin1() : 'x', Qt::NoModifier);
        if (typed.contains(QChar(0xFF12))) {
            QKeyEvent wide(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("２"));
            QApplication::sendEvent(&edit, &wide);
        }
        QCOMPARE(edit.text(), expected);
    }

    void rightEditBackspaceAndMovementKeysWork() {
        TRightEdit edit;
        edit.setText("123");
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), QStringLiteral("12"));
        QTest::keyClick(&edit, Qt::Key_Home);
        QTest::keyClick(&edit, Qt::Key_Delete);
        QCOMPARE(edit.text(), QStringLiteral("2"));
    }

    void rightEditClipboardShortcutsDoNothing() {
        TRightEdit edit;
        edit.setText("45");
        QGuiApplication::clipboard()->setText("99");
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(edit.text(), QStringLiteral("45"));
    }

    // Keys with Control type control characters: only backspace passes.
    void rightEditControlKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Ctrl+H is backspace") << int(Qt::Key_H) << "1.2";
        QTest::newRow("Ctrl+Backspace types DEL, discarded") << int(Qt::Key_Backspace) << "1.23";
        QTest::newRow("Ctrl+Z does not undo") << int(Qt::Key_Z) << "1.23";
        QTest::newRow("Ctrl+A does not select") << int(Qt::Key_A) << "1.23";
    }
    void rightEditControlKeys() {
        QFETCH(int, key);
        QFETCH(QString, expected);
        TRightEdit edit;
        QTest::keyClicks(&edit, "1.23");
        QTest::keyClick(&edit, Qt::Key(key), Qt::ControlModifier);
        QTest::keyClick(&edit, Qt::Key_Left); // an extra typed key would show here
        QCOMPARE(edit.text(), expected);
        QVERIFY(!edit.hasSelectedText());
    }

    // Enter is never typed into the edit, but still reaches the window, so
    // that a dialog's default button takes it.
    void rightEditEnterReachesTheDefaultButton() {
        QDialog dialog;
        auto* edit = new TRightEdit(&dialog);
        edit->onKeyPress = [](QChar& c) {
            if (!c.isDigit())
                c = QChar();
        };
        auto* ok = new QPushButton("OK", &dialog);
        ok->move(0, 30);
        ok->setDefault(true);
        QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(edit->text().isEmpty());
    }

    // Only typing and the context menu's paste put text in; a drop does not.
    void rightEditRefusesDroppedText() {
        QWidget window;
        auto* edit = new TRightEdit(&window);
        edit->resize(60, 21);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QMimeData data;
        data.setText("abc");
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &enter);
        QVERIFY(!enter.isAccepted());
        QVERIFY(edit->text().isEmpty());
    }

    void rightEditWindowHandlerRunsFirst() {
        TRightEdit edit;
        QString seen;
        edit.onKeyPress = [&](QChar& c) {
            seen += c;
            if (c == 'a')
                c = '7'; // replaced
            else if (c == '1')
                c = QChar(); // discarded by the window
        };
        QTest::keyClicks(&edit, "a1b2");
        QCOMPARE(seen, QStringLiteral("a1b2"));
        QCOMPARE(edit.text(), QStringLiteral("72"));
    }

    void rightEditClickSelectsAllAndAlignsRight() {
        TRightEdit edit;
        edit.resize(60, 21);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        edit.setText("123");
        edit.setCursorPosition(1);
        QTest::mouseClick(&edit, Qt::LeftButton, {}, QPoint(5, 10));
        QCOMPARE(edit.selectedText(), QStringLiteral("123"));
        QVERIFY(edit.alignment().testFlag(Qt::AlignRight));
        QTest::keyClick(&edit, '9');
        QCOMPARE(edit.text(), QStringLiteral("9"));
    }

    // ---- TActiveColorCheckBox ---------------------------------------------

    void checkBoxHoverColourAndCursor() {
        TActiveColorCheckBox box("x");
        QPalette p = box.palette();
        p.setColor(QPalette::WindowText, Qt::green); // the window's own colour
        box.setPalette(p);
        sendEnter(&box);
        QCOMPARE(textColor(&box), QColor(0, 0, 255));
        QCOMPARE(box.cursor().shape(), Qt::PointingHandCursor);
        sendLeave(&box);
        QCOMPARE(textColor(&box), QGuiApplication::palette().color(QPalette::WindowText));
        QCOMPARE(box.cursor().shape(), Qt::ArrowCursor);
        // Only the colour changes: the font stays as the window set it.
        QCOMPARE(box.font(), QApplication::font(&box));
    }

    // Qt delivers the pointer's entering to a disabled box as well.
    void disabledCheckBoxStillTurnsBlue() {
        QWidget window;
        window.resize(200, 60);
        auto* box = new TActiveColorCheckBox("x", &window);
        box->setGeometry(10, 10, 80, 13);
        box->setEnabled(false);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseMove(&window, QPoint(150, 40));
        QTest::mouseMove(box, QPoint(5, 5));
        QTRY_COMPARE(textColor(box), QColor(0, 0, 255));
        QTest::mouseMove(&window, QPoint(150, 40));
        QTRY_COMPARE(textColor(box), QGuiApplication::palette().color(QPalette::WindowText));
    }

    // After a popup menu opened over the box closes with the pointer elsewhere,
    // Qt enters the widget under the pointer without leaving the box first.
    void checkBoxLeftWhenThePointerEntersElsewhere() {
        QWidget window;
        window.resize(200, 60);
        auto* box = new TActiveColorCheckBox("x", &window);
        box->setGeometry(10, 10, 80, 13);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        sendEnter(box);
        QCOMPARE(textColor(box), QColor(0, 0, 255));
        const QPointF outside = window.mapToGlobal(QPointF(150, 40));
        QEnterEvent enter(QPointF(150, 40), QPointF(150, 40), outside);
        QApplication::sendEvent(&window, &enter);
        QCOMPARE(textColor(box), QGuiApplication::palette().color(QPalette::WindowText));
        QCOMPARE(box->cursor().shape(), Qt::ArrowCursor);
        // The box is hovered again on its next entering.
        sendEnter(box);
        QCOMPARE(textColor(box), QColor(0, 0, 255));
    }

    // ---- TLabelEx ---------------------------------------------------------

    void labelHoverStyles() {
        TLabelEx label("北海道");
        label.adjustSize();
        const QSize restSize = label.size();
        sendEnter(&label);
        QVERIFY(label.autoFillBackground());
        QCOMPARE(label.palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(textColor(&label), QColor(0, 0, 255));
        QCOMPARE(label.font().pointSize(), 10);
        QVERIFY(label.font().bold());
        QVERIFY(label.font().underline());
        QVERIFY(label.width() > restSize.width());
        sendLeave(&label);
        QVERIFY(!label.autoFillBackground());
        QCOMPARE(textColor(&label), QColor(255, 0, 0));
        QCOMPARE(label.font().pointSize(), 9);
        QVERIFY(!label.font().bold());
        QVERIFY(!label.font().underline());
    }

    // Moving straight from one label onto the next restores the first
    // before the second lights up.
    void labelLeavesBeforeTheNextEnters() {
        QWidget window;
        window.resize(200, 60);
        auto* first = new TLabelEx("青森", &window);
        auto* second = new TLabelEx("岩手", &window);
        first->move(10, 10);
        second->move(10 + first->sizeHint().width() + 2, 10);
        QStringList order;
        struct Spy : QObject {
            QStringList* order;
            bool eventFilter(QObject* o, QEvent* e) override {
                if (e->type() == QEvent::Enter || e->type() == QEvent::Leave)
                    *order << o->objectName() + (e->type() == QEvent::Enter ? "+" : "-");
                return false;
            }
        } spy;
        spy.order = &order;
        first->setObjectName("first");
        second->setObjectName("second");
        first->installEventFilter(&spy);
        second->installEventFilter(&spy);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseMove(first, QPoint(3, 3));
        QTRY_COMPARE(textColor(first), QColor(0, 0, 255));
        QTest::mouseMove(second, QPoint(3, 3));
        QTRY_COMPARE(textColor(second), QColor(0, 0, 255));
        QCOMPARE(textColor(first), QColor(255, 0, 0));
        QCOMPARE(order, (QStringList{"first+", "first-", "second+"}));
    }

    // ---- OwnerDrawComboBox ------------------------------------------------

    void ownerDrawnRowsAndFace() {
        OwnerDrawComboBox list;
        list.addItems({"a", "b"});
        list.setItemHeight(13);
        QList<int> drawn;
        list.onDrawItem = [&](QPainter& p, int index, const QRect& r, bool) {
            drawn << index;
            p.fillRect(r, index == 0 ? Qt::magenta : Qt::cyan);
        };
        list.resize(100, 19);
        list.setCurrentIndex(1);
        const QImage face = list.grab().toImage();
        QVERIFY(drawn.contains(1));
        QCOMPARE(QColor(face.pixel(20, 9)), QColor(Qt::cyan));
        QCOMPARE(list.view()->sizeHintForRow(0), 13);
    }

    // ---- colour values ----------------------------------------------------

    void colourValues() {
        QCOMPARE(colorFromValue(0x00FF8040), QColor(0x40, 0x80, 0xFF));
        QCOMPARE(valueFromColor(QColor(0x40, 0x80, 0xFF)), 0x00FF8040);
        QCOMPARE(colorFromValue(static_cast<std::int32_t>(0x80000008u)),
                 QGuiApplication::palette().color(QPalette::WindowText));
        QCOMPARE(colorFromValue(static_cast<std::int32_t>(0x8000000Du)),
                 QGuiApplication::palette().color(QPalette::Highlight));
    }
};

HAKOMARU_UI_TEST_MAIN(ControlsTest)
#include "ControlsTest.moc"
