#include "Option.h"

#include "ColorValue.h"
#include "Platform.h"
#include "ProgramFiles.h"
#include "Settings.h"
#include "WindowFonts.h"
#include "WindowPlacement.h"
#include "controls/RightEdit.h"
#include "tariff/Catalogues.h"
#include "text/NumberText.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <algorithm>
#include <optional>

namespace hakomaru {
namespace {

constexpr int kLineCountLength = 2;

QCheckBox* makeCheckBox(QWidget* page, const char* name, const char* caption, int left, int top,
                        int width) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), page);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(left, top, width, 13);
    return box;
}

QLabel* makeLabel(QWidget* page, const char* name, const char* caption, int left, int top) {
    auto* label = new QLabel(QString::fromUtf8(caption), page);
    label->setObjectName(QString::fromLatin1(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

} // namespace

TfrmOption::TfrmOption(OptionTargets targets, std::filesystem::path settingsPath, QWidget* parent)
    : QDialog(parent), targets_(std::move(targets)), settingsPath_(std::move(settingsPath)) {
    setObjectName(QStringLiteral("frmOption"));
    setAttribute(Qt::WA_DeleteOnClose);
    minimiseWithOwner(*this);
    setWindowTitle(QStringLiteral("オプション設定"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(323, 247);
    setFont(windowFont(kPGothic, 12));
    centreFrameOnScreen(*this);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(4, 4, 313, 205);

    tabGeneral = new QWidget;
    tabGeneral->setObjectName(QStringLiteral("tabGeneral"));
    PageControl1->addTab(tabGeneral, QStringLiteral("一般設定"));
    chkFromHome = makeCheckBox(tabGeneral, "chkFromHome",
                               "「自宅や会社で荷物を渡す」を初期設定にする。", 8, 12, 269);
    chkShowPostal =
        makeCheckBox(tabGeneral, "chkShowPostal", "はこ丸起動時に普通郵便も表示する。", 8, 38, 249);
    chkShowExplain = makeCheckBox(tabGeneral, "chkShowExplain",
                                  "発送オプションの説明欄を表示する。", 8, 64, 249);
    Label1 =
        makeLabel(tabGeneral, "Label1", "「届け先」コンボで一度に表示する行数(要再起動)：", 8, 88);
    edtLines = new TRightEdit(tabGeneral);
    edtLines->setObjectName(QStringLiteral("edtLines"));
    edtLines->setGeometry(264, 84, 33, 20);
    edtLines->setMaxLength(kLineCountLength);
    edtLines->onKeyPress = &TfrmOption::edtLinesKeyPress;
    edtLines->installEventFilter(this);
    connect(edtLines, &TRightEdit::mouseDown, this, [this] { edtLinesMouseDown(); });
    // The length limit holds for typing only: a longer stored count is shown
    // and saved unchanged until the user shortens it.
    connect(edtLines, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text.size() <= kLineCountLength)
            edtLines->setMaxLength(kLineCountLength);
    });
    lblFontColor = makeLabel(tabGeneral, "lblFontColor", "コンボボックスの文字色：", 8, 112);
    staFontColor = new QLabel(tabGeneral);
    staFontColor->setObjectName(QStringLiteral("staFontColor"));
    staFontColor->setGeometry(136, 108, 41, 21);
    staFontColor->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    staFontColor->setLineWidth(1);
    staFontColor->setMargin(1);
    staFontColor->setAutoFillBackground(true);
    staFontColor->setCursor(Qt::PointingHandCursor);
    staFontColor->installEventFilter(this);

    tabDaihiki = new QWidget;
    tabDaihiki->setObjectName(QStringLiteral("tabDaihiki"));
    PageControl1->addTab(tabDaihiki, QStringLiteral("代金引換"));
    chkUseCatDaihiki =
        makeCheckBox(tabDaihiki, "chkUseCatDaihiki", "クロネコの代金引換を利用する。", 8, 12, 245);
    rgpSokin = new QGroupBox(QStringLiteral("ゆうパックでの送金方法"), tabDaihiki);
    rgpSokin->setObjectName(QStringLiteral("rgpSokin"));
    rgpSokin->setGeometry(8, 33, 289, 137);
    auto* grid = new QGridLayout(rgpSokin);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(0);
    rgpSokinButtons = new QButtonGroup(this);
    for (int index = 0; index < kRemittanceMethodCount; ++index) {
        auto* radio = new QRadioButton(
            QString::fromUtf8(RemittanceMethodName(index).data(),
                              static_cast<qsizetype>(RemittanceMethodName(index).size())),
            rgpSokin);
        radio->setObjectName(QStringLiteral("rgpSokinItem%1").arg(index));
        rgpSokinButtons->addButton(radio, index);
        grid->addWidget(radio, index % 5, index / 5); // items 0-4, then 5-8
    }

    auto makeButton = [this](const char* name, const char* caption, int left) {
        auto* button = new QPushButton(QString::fromUtf8(caption), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(left, 216, 73, 25);
        // A focused button takes Enter for itself; elsewhere Enter is OK's.
        button->setAutoDefault(true);
        return button;
    };
    btnOK = makeButton("btnOK", "OK", 84);
    btnOK->setDefault(true);
    btnCancel = makeButton("btnCancel", "キャンセル", 164);
    btnHelp = makeButton("btnHelp", "ヘルプ", 244);
    connect(btnOK, &QPushButton::clicked, this, &TfrmOption::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfrmOption::btnCancelClick);
    connect(btnHelp, &QPushButton::clicked, this, &TfrmOption::btnHelpClick);

    PageControl1->setCurrentIndex(0);
    FormCreate();
}

int TfrmOption::sokinIndex() const {
    return rgpSokinButtons->checkedId();
}

void TfrmOption::setSokinIndex(int index) {
    index = std::clamp(index, -1, kRemittanceMethodCount - 1);
    if (index >= 0) {
        rgpSokinButtons->button(index)->setChecked(true);
        return;
    }
    // An exclusive group cannot be emptied by unchecking its checked button.
    rgpSokinButtons->setExclusive(false);
    for (QAbstractButton* button : rgpSokinButtons->buttons())
        button->setChecked(false);
    rgpSokinButtons->setExclusive(true);
}

void TfrmOption::setFontColor(std::int32_t value) {
    fontColor_ = value;
    QPalette palette = staFontColor->palette();
    palette.setColor(QPalette::Window, colorFromValue(value));
    staFontColor->setPalette(palette);
}

void TfrmOption::FormCreate() {
    const OptionValues values = Settings(settingsPath_).optionValues();
    setSokinIndex(values.remittanceMethod);
    chkUseCatDaihiki->setChecked(values.useCatDaihiki);
    chkFromHome->setChecked(values.homeShipping);
    chkShowPostal->setChecked(values.showPostalAlways);
    chkShowExplain->setChecked(values.showExplain);
    const QString lines = QString::number(values.listRows);
    edtLines->setMaxLength(std::max(kLineCountLength, static_cast<int>(lines.size())));
    edtLines->setText(lines);
    setFontColor(values.listTextColor);
}

void TfrmOption::edtLinesKeyPress(QChar& key) {
    // The line count takes digits only; backspace still deletes.
    if (key.unicode() != 0x08 && !(key >= QChar('0') && key <= QChar('9')))
        key = QChar();
}

void TfrmOption::edtLinesMouseDown() {
    // Caret at the start, whole text selected.
    const int length = static_cast<int>(edtLines->text().size());
    edtLines->setCursorPosition(length);
    edtLines->cursorBackward(true, length);
}

void TfrmOption::staFontColorClick() {
    // A cancelled chooser leaves the colour as it was, so the swatch and the
    // lists always show the same colour.
    const std::optional<QColor> chosen = platform().chooseColor(this, colorFromValue(fontColor_));
    if (!chosen)
        return;
    const std::int32_t value = valueFromColor(*chosen);
    setFontColor(value);
    if (targets_.applyListTextColor)
        targets_.applyListTextColor(value);
}

void TfrmOption::btnOKClick() {
    try {
        OptionValues values;
        values.remittanceMethod = sokinIndex();
        values.useCatDaihiki = chkUseCatDaihiki->isChecked();
        values.homeShipping = chkFromHome->isChecked();
        values.showPostalAlways = chkShowPostal->isChecked();
        values.showExplain = chkShowExplain->isChecked();
        values.listRows = toWholeNumber(edtLines->text().toStdString());
        values.listTextColor = fontColor_;
        Settings(settingsPath_).saveOptionValues(values);
    } catch (const std::exception& e) {
        // Nothing was written and the main window is unchanged; the window
        // stays open so the user can correct the value.
        platform().showError(this, QString::fromUtf8(e.what()));
        return;
    }

    const bool showExplain = chkShowExplain->isChecked();
    if (targets_.applyExplanationArea)
        targets_.applyExplanationArea(showExplain, showExplain ? kHeightWithExplanation
                                                               : kHeightWithoutExplanation);
    if (targets_.applyUseCatDaihiki)
        targets_.applyUseCatDaihiki(chkUseCatDaihiki->isChecked());
    close();
}

void TfrmOption::btnCancelClick() {
    close();
}

void TfrmOption::btnHelpClick() {
    const QString page = locateDocument(QStringLiteral("Help/Howto.htm"));
    if (!page.isEmpty())
        openPage(this, page);
}

bool TfrmOption::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the line count is the default button's, as anywhere else in
    // the window; the edit's character filter would swallow it.
    if (watched == edtLines && event->type() == QEvent::KeyPress) {
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = keyEvent->modifiers() & ~Qt::KeypadModifier;
        if ((keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter) &&
            modifiers == Qt::NoModifier) {
            btnOK->click();
            return true;
        }
    }
    if (watched == staFontColor && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            staFontColor->rect().contains(mouse->position().toPoint())) {
            staFontColorClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmOption::keyPressEvent(QKeyEvent* event) {
    // No button is bound to Esc.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace hakomaru
