#include "Main.h"
#include "AppSetup.h"
#include "FormPieces.h"
#include "WindowFonts.h"
#include "WindowStyle.h"

#include "CarrierIcons.h"
#include "ColorValue.h"
#include "Platform.h"
#include "ProgramFiles.h"
#include "controls/ActiveColorCheckBox.h"
#include "controls/OwnerDrawComboBox.h"
#include "controls/RightEdit.h"

#include "Settings.h"
#include "WindowPlacement.h"
#include "quote/QuoteCat.h"
#include "quote/QuoteYoupack.h"
#include "system/FileRead.h"
#include "tariff/Catalogues.h"
#include "tariff/Tariff.h"
#include "text/NumberText.h"
#include "text/Sjis.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace hakomaru {
namespace {

constexpr int kClientWidth = 402;
constexpr int kClientHeight = 269;
// Without the explanation area the window is 32 pixels lower.
constexpr int kClientHeightNoExplain = 237;
constexpr int kYouTotalRight = 181;
constexpr int kCatTotalRight = 177;

const QString kNotHandled = QString::fromUtf8(kNotHandledText);

// The explanation area: a sunken bevel with up to two wrapped lines inside.
// QLabel would indent a framed text at the top as well as at the left, and
// the second line would lose its bottom rows; here the text starts right
// under the bevel, two pixels in from its sides.
class ExplanationArea final : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        drawFrame(&painter);
        style()->drawItemText(&painter, contentsRect().adjusted(2, 0, -2, 0),
                              Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, palette(),
                              isEnabled(), text(), foregroundRole());
    }
};

TActiveColorCheckBox* box(QWidget* parent, const char* name, const char* caption, int left, int top,
                          int width, int height) {
    auto* b = place(new TActiveColorCheckBox(QString::fromUtf8(caption), parent), name, left, top,
                    width, height);
    b->setCursor(Qt::PointingHandCursor);
    b->setMouseTracking(true);
    return b;
}

// Background of a prefecture row by its region group: the separator row
// heading a group has a stronger colour than the places below it.
QColor rowBackground(int row) {
    static constexpr struct {
        QRgb heading;
        QRgb places;
    } groups[kPrefectureGroupCount] = {
        {0, 0xFFFFAD},        {0xEFAD8C, 0xEFDDC2}, {0xAEB979, 0xE8EBD3}, {0xAFC9B6, 0xDCE8DF},
        {0xA5A9D1, 0xD8E0EF}, {0xD569B0, 0xEFDDEB}, {0xE3B03D, 0xFFF2D1}, {0xAC93CE, 0xD1D5FA},
    };
    const int group = std::clamp(PrefectureGroupOf(row), 0, kPrefectureGroupCount - 1);
    const bool heading = group > 0 && row == kSeparatorRows[static_cast<size_t>(group - 1)];
    return QColor::fromRgb(heading ? groups[group].heading : groups[group].places);
}

bool isSeparatorCaption(const QString& caption) {
    return IsSeparatorRow(caption.toStdString());
}

} // namespace

void runReported(QWidget* parent, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        platform().showError(parent, QString::fromUtf8(e.what()));
    }
}

// ---------------------------------------------------------------------------
// Construction: the window, its controls and their wiring, then FormCreate.

TfrmMain::TfrmMain(std::filesystem::path settingsPath, std::filesystem::path tariffPath,
                   QWidget* parent)
    : QMainWindow(parent), settingsPath_(std::move(settingsPath)),
      tariffPath_(std::move(tariffPath)), listTextColor_(kSystemWindowText) {
    buildWindow();
    buildSelections();
    buildYoupackGroup();
    buildCatGroup();
    buildDetailArea();
    buildMenus();
    setTabOrder();
    connectHandlers();
    runReported(this, [this] { FormCreate(); });
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::buildWindow() {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("はこ丸"));
    // A fixed border with the system menu and the minimise box only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(windowFont(kPGothic, 12));
    client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmMain::buildSelections() {
    lblFrom = label(client, "lblFrom", "発送地：", 12, 14, 42, 12);
    cmbFrom = place(new OwnerDrawComboBox(client), "cmbFrom", 56, 9, 137, 19);
    btnMap = place(new QPushButton(QStringLiteral("届け先："), client), "btnMap", 200, 9, 56, 19);
    cmbTo = place(new OwnerDrawComboBox(client), "cmbTo", 256, 9, 137, 19);
    for (OwnerDrawComboBox* list : {cmbFrom, cmbTo}) {
        list->setFont(windowFont(kGothic, 13));
        list->setItemHeight(13);
        list->setMaxVisibleItems(24);
        list->setCursor(Qt::PointingHandCursor);
        list->onDrawItem = [this, list](QPainter& p, int index, const QRect& r, bool selected) {
            drawPrefectureRow(list, p, index, r, selected);
        };
    }
    btnMap->setCursor(Qt::PointingHandCursor);

    lblWeight = label(client, "lblWeight", "重量：", 24, 42, 30, 12);
    cmbWeight = place(new QComboBox(client), "cmbWeight", 56, 37, 73, 20);
    cmbWeight->setFont(windowFont(kGothic, 12));
    cmbWeight->setMaxVisibleItems(14);
    lblSize = label(client, "lblSize", "３辺：", 141, 42, 26, 12);
    cmbSize = place(new QComboBox(client), "cmbSize", 168, 37, 81, 20);
    cmbSize->setFont(windowFont(kGothic, 12));
    for (QComboBox* list : {cmbWeight, cmbSize}) {
        dropDownBelowFace(list);
        list->setCursor(Qt::PointingHandCursor);
    }

    lblDaihiki = label(client, "lblDaihiki", "代引・要償額：", 254, 42, 72, 12);
    edtDaihiki = place(new TRightEdit(client), "edtDaihiki", 328, 37, 37, 21);
    edtDaihiki->setMaxLength(kAmountTextLength);
    edtDaihiki->setFont(windowFont(kPGothic, 13));
    edtDaihiki->setText(QStringLiteral("0"));
    lblDaihiki2 = label(client, "lblDaihiki2", "万円", 368, 44, 24, 12);
}

void TfrmMain::buildYoupackGroup() {
    grpYoupack =
        place(new QGroupBox(QStringLiteral("ゆうパック"), client), "grpYoupack", 8, 69, 189, 144);
    chkYouCyaku = box(grpYoupack, "chkYouCyaku", "送料着払い", 12, 20, 81, 13);
    chkYouSokutatsu = box(grpYoupack, "chkYouSokutatsu", "速達", 108, 20, 57, 13);
    chkYouShitei = box(grpYoupack, "chkYouShitei", "配達日指定", 12, 42, 81, 13);
    chkKakitome = box(grpYoupack, "chkKakitome", "書留", 108, 42, 57, 13);
    chkYouCild = box(grpYoupack, "chkYouCild", "チルド", 12, 65, 65, 13);
    chkYouDaihiki = box(grpYoupack, "chkYouDaihiki", "代金引換", 12, 88, 81, 13);
    imgYoupack = place(new QLabel(grpYoupack), "imgYoupack", 12, 112, 24, 24);
    imgYoupack->setPixmap(youpackIcon());
    imgYoupack->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblYouTotal = new QLabel(grpYoupack);
    lblYouTotal->setObjectName(QStringLiteral("lblYouTotal"));
}

void TfrmMain::buildCatGroup() {
    grpCat = place(new QGroupBox(QStringLiteral("クロネコ"), client), "grpCat", 208, 69, 185, 144);
    chkCatHome = box(grpCat, "chkCatHome", "自宅や会社で荷物を渡す", 12, 20, 165, 13);
    chkCatTime = box(grpCat, "chkCatTime", "タイムサービス", 12, 42, 105, 13);
    chkCatCool = box(grpCat, "chkCatCool", "クール", 12, 65, 65, 13);
    chkCatFukusu = box(grpCat, "chkCatFukusu", "複数口", 116, 61, 65, 13);
    edtFukusu = place(new TRightEdit(grpCat), "edtFukusu", 116, 80, 33, 21);
    edtFukusu->setMaxLength(kParcelCountTextLength);
    edtFukusu->setFont(windowFont(kGothic, 13));
    edtFukusu->setText(QStringLiteral("1"));
    edtFukusu->setMouseTracking(true);
    edtFukusu->hide();
    lblFukusu = label(grpCat, "lblFukusu", "個口", 152, 88, 24, 12);
    lblFukusu->hide();
    chkCatDaihiki = box(grpCat, "chkCatDaihiki", "代金引換", 12, 88, 81, 13);
    imgCat = place(new QLabel(grpCat), "imgCat", 12, 112, 24, 24);
    imgCat->setPixmap(catIcon());
    imgCat->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblCatTotal = new QLabel(grpCat);
    lblCatTotal->setObjectName(QStringLiteral("lblCatTotal"));

    for (QLabel* total : {lblYouTotal, lblCatTotal}) {
        total->setFont(windowFont(kPMincho, 19, true));
        QPalette p = total->palette();
        p.setColor(QPalette::WindowText, Qt::red);
        total->setPalette(p);
        total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    showTotal(lblYouTotal, yen("0"));
    showTotal(lblCatTotal, yen("0"));
    for (QWidget* w : {static_cast<QWidget*>(grpYoupack), static_cast<QWidget*>(grpCat),
                       static_cast<QWidget*>(imgYoupack), static_cast<QWidget*>(imgCat)})
        w->setMouseTracking(true);
    imgYoupack->setCursor(Qt::PointingHandCursor);
    imgCat->setCursor(Qt::PointingHandCursor);
}

void TfrmMain::buildDetailArea() {
    lblDetail = label(client, "lblDetail", "", 8, 218, 385, 12);
    stExplain = place(new ExplanationArea(client), "stExplain", 4, 236, 393, 29);
    stExplain->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    stExplain->setLineWidth(1);
    stExplain->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    stExplain->setWordWrap(true);
    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setInterval(100);
}

void TfrmMain::buildMenus() {
    auto action = [this](QMenu* menu, const char* name, const char* caption) {
        QAction* a = menu->addAction(QString::fromUtf8(caption));
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    auto submenu = [this](const char* name, const char* caption) {
        QMenu* m = menuBar()->addMenu(QString::fromUtf8(caption));
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        return m;
    };
    menuBar()->setObjectName(QStringLiteral("mnuMain"));
    QMenu* view = submenu("mnuMain_View", "表示(&V)");
    QAction* postal = action(view, "mnuMain_View_Postal", "普通郵便・冊子小包...");
    QMenu* option = submenu("mnuMain_Option", "オプション(&O)");
    QAction* settings = action(option, "mnuMain_Option_Settings", "オプション設定...");
    QMenu* help = submenu("mnuMain_Help", "ヘルプ(&H)");
    QAction* first = action(help, "mnuMain_Help_View", "はじめに");
    QAction* use = action(help, "mnuMain_Help_Use", "はこ丸の使い方");
    help->addSeparator()->setObjectName(QStringLiteral("N1"));
    QAction* version = action(help, "mnuMain_Help_Version", "バージョン情報(&A)");

    mnuPopup = new QMenu(this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    QAction* copy = action(mnuPopup, "mnuPopup_Copy_Line", "料金詳細をクリップボードにコピー");
    for (QGroupBox* group : {grpYoupack, grpCat}) {
        group->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(group, &QWidget::customContextMenuRequested, this,
                [this, group](const QPoint& pos) { mnuPopup->popup(group->mapToGlobal(pos)); });
    }

    auto command = [this](QAction* a, void (TfrmMain::*handler)()) {
        connect(a, &QAction::triggered, this, [this, handler] { onUserEvent(handler); });
    };
    command(postal, &TfrmMain::mnuMain_View_PostalClick);
    command(settings, &TfrmMain::mnuMain_Option_SettingsClick);
    command(first, &TfrmMain::mnuMain_Help_ViewClick);
    command(use, &TfrmMain::mnuMain_Help_UseClick);
    command(version, &TfrmMain::mnuMain_Help_VersionClick);
    command(copy, &TfrmMain::mnuPopup_Copy_LineClick);
}

void TfrmMain::setTabOrder() {
    const QWidget* order[] = {
        btnMap,          cmbTo,        cmbWeight,    cmbSize,    edtDaihiki,    chkYouCyaku,
        chkYouSokutatsu, chkYouShitei, chkKakitome,  chkYouCild, chkYouDaihiki, chkCatHome,
        chkCatTime,      chkCatCool,   chkCatFukusu, edtFukusu,  chkCatDaihiki, cmbFrom};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
    // The first control of the order has the focus when the window opens.
    btnMap->setFocus();
}

void TfrmMain::connectHandlers() {
    for (QComboBox* list :
         {static_cast<QComboBox*>(cmbFrom), static_cast<QComboBox*>(cmbTo), cmbWeight, cmbSize})
        connect(list, &QComboBox::activated, this,
                [this, list] { runReported(this, [this, list] { chooseRow(list); }); });
    connect(btnMap, &QPushButton::clicked, this, [this] { onUserEvent(&TfrmMain::btnMapClick); });
    connect(Timer, &QTimer::timeout, this, [this] { onUserEvent(&TfrmMain::TimerTimer); });

    for (size_t i = 0; i < kParcelOptionCount; ++i) {
        const auto option = static_cast<ParcelOption>(i);
        TActiveColorCheckBox* b = optionBox(option);
        boxOptions_[b] = option;
        connect(b, &QAbstractButton::clicked, this, [this, option] {
            runReported(this,
                        [this, option] { forward([this, option] { model_.click(option); }); });
        });
        b->installEventFilter(this);
    }

    // The amount rule drops its failures itself; the count rule reports.
    connect(edtDaihiki, &QLineEdit::textChanged, this, [this] { edtDaihikiChange(); });
    connect(edtFukusu, &QLineEdit::textChanged, this, [this] {
        runReported(this, [this] {
            forward([this] { model_.typeCount(edtFukusu->text().toStdString()); });
        });
    });
    edtDaihiki->onKeyPress = [](QChar& c) {
        const char16_t u = c.unicode();
        if (!(u == 0x08 || u == u'.' || (u >= u'0' && u <= u'9')))
            c = QChar();
    };
    edtFukusu->onKeyPress = [](QChar& c) {
        const char16_t u = c.unicode();
        if (!(u == 0x08 || (u >= u'0' && u <= u'9')))
            c = QChar();
    };
    for (TRightEdit* edit : {edtDaihiki, edtFukusu})
        connect(edit, &TRightEdit::mouseDown, edit, [edit] { edit->selectAll(); });

    explanations_ = {
        {chkYouCyaku, QStringLiteral("送料は受取人が負担します。")},
        {chkYouSokutatsu,
         QStringLiteral("通常の郵便より早く配達されます。速達にもかかわらず、通常の"
                        "郵便と変わらなかった場合には、速達料金は払い戻されます。")},
        {chkYouShitei,
         QStringLiteral("確実に受領できる日を指定して発送します。指定可能日は、差出日の"
                        "3日後から起算して10日以内の日。 ex. "
                        "1/1差出の場合、1/4-1/13を指定可能。")},
        {chkKakitome,
         QStringLiteral("損害賠償額の上限が500万円となります。書留でない時の上限は5万円"
                        "。損害要償額10万円までは一律¥360で、その後は5万円毎に¥20増。")},
        {chkYouCild, QStringLiteral("荷物を冷凍・冷蔵して届けます。")},
        {chkYouDaihiki,
         QStringLiteral("受取人は、代引き金額の支払と引き替えに荷物を受領します。尚、"
                        "引換額が5万円を超える場合には書留が必須となります。")},
        {chkCatHome,
         QStringLiteral("荷物を自宅や会社まで取りに来て貰います。コンビニから発送する場合"
                        "はチェックしないで下さい。")},
        {chkCatTime,
         QStringLiteral("決まった時間までに絶対に届けなければならない場合に利用します。")},
        {chkCatCool, QStringLiteral("荷物を冷凍・冷蔵して届けます。")},
        {chkCatFukusu, QStringLiteral("同一の届け先に複数の荷物を送る時に適用されます。")},
        {chkCatDaihiki, QStringLiteral("引き替え額の支払いと引き替えに受取人が荷物を受領します。")},
        {edtFukusu, QStringLiteral("送料の合計額から ¥100x荷物の個数 減額される。")},
        {imgYoupack, QStringLiteral("ゆうパックのホームページに飛びます。")},
        {imgCat, QStringLiteral("クロネコのホームページに飛びます。")},
    };
    for (QObject* o : {static_cast<QObject*>(edtFukusu), static_cast<QObject*>(imgYoupack),
                       static_cast<QObject*>(imgCat), static_cast<QObject*>(grpYoupack),
                       static_cast<QObject*>(grpCat), static_cast<QObject*>(cmbSize)})
        o->installEventFilter(this);
}

void TfrmMain::onUserEvent(void (TfrmMain::*rule)()) {
    runReported(this, [this, rule] { (this->*rule)(); });
}

// ---------------------------------------------------------------------------
// Start and end.

void TfrmMain::FormCreate() {
    const Settings settings(settingsPath_);
    for (std::string_view row : PrefectureRows(false))
        cmbFrom->addItem(QString::fromUtf8(row.data(), static_cast<qsizetype>(row.size())));
    for (std::string_view row : PrefectureRows(true))
        cmbTo->addItem(QString::fromUtf8(row.data(), static_cast<qsizetype>(row.size())));
    model_.restoreRows(settings.sendingRow(), settings.destinationRow());

    for (std::string_view row : WeightRows())
        cmbWeight->addItem(QString::fromUtf8(row.data(), static_cast<qsizetype>(row.size())));
    for (std::string_view row : SizeRows())
        cmbSize->addItem(QString::fromUtf8(row.data(), static_cast<qsizetype>(row.size())));
    mirror();

    const StartPreferences prefs = settings.startPreferences();
    // Checked again once the window manager has told the title bar's height.
    // Where the window system places windows itself, it places this one.
    if (windowsArePlaced())
        placeFrame(reachableFramePosition(QPoint(prefs.posLeft, prefs.posTop), sizeHint().width(),
                                          style()->pixelMetric(QStyle::PM_TitleBarHeight),
                                          availableScreenAreas()));
    forward([&] {
        model_.set(ParcelOption::CatHome, prefs.homeShipping);
        model_.useCatCashOnDelivery(prefs.useCatDaihiki);
    });
    listTextColor_ = prefs.listTextColor;
    // A list shows at least one row, whatever the file says.
    cmbTo->setMaxVisibleItems(std::max(1, prefs.listRows));
    if (!prefs.showExplain)
        setExplainVisible(false);

    // A separator row saved as the destination stands for no place: it shows
    // as it does when picked, instead of pricing a parcel to nowhere.
    cmbToClick();
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    // After the window is on screen, so that the postal window docks to it.
    QTimer::singleShot(0, this, [this] { runReported(this, [this] { FormShow(); }); });
}

// The window's frame goes where the settings say. The layout's sizes come
// first: a window resized before it is first shown would put its client
// area, not its frame, at the saved corner.
void TfrmMain::setVisible(bool visible) {
    if (visible && !testAttribute(Qt::WA_WState_Created)) {
        ensurePolished();
        layout()->activate();
        adjustSize();
        if (!frameSettled_)
            move(wantedFrame_);
    }
    QMainWindow::setVisible(visible);
    if (visible && windowHandle())
        windowHandle()->installEventFilter(this);
}

void TfrmMain::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    settleFrame();
}

QPoint TfrmMain::framePosition() const {
    return frameSettled_ || !isVisible() ? hakomaru::framePosition(*this) : wantedFrame_;
}

void TfrmMain::placeFrame(QPoint frame) {
    wantedFrame_ = frame;
    frameSettled_ = false;
    frameCorrected_ = frameKnown(*this);
    moveFrame(*this, frame);
}

// Runs when the window moves or is exposed while a placement is pending.
// Without known frame extents only a move elsewhere (someone moved the
// window) settles it. Once they are known, the title bar's real height
// decides whether the corner asked for is within reach; a frame elsewhere is
// then moved there once (a window manager that put the client area there),
// and the next move settles it wherever the window manager put it.
void TfrmMain::settleFrame() {
    if (frameSettled_ || !isVisible())
        return;
    const QPoint now = hakomaru::framePosition(*this);
    if (!frameKnown(*this)) {
        frameSettled_ = now != wantedFrame_;
        return;
    }
    if (!frameCorrected_) {
        wantedFrame_ =
            reachableFramePosition(wantedFrame_, frameGeometry().width(),
                                   windowHandle()->frameMargins().top(), availableScreenAreas());
        if (now != wantedFrame_) {
            frameCorrected_ = true;
            moveFrame(*this, wantedFrame_);
            return;
        }
    }
    frameSettled_ = true;
}

void TfrmMain::FormShow() {
    const PostalAtStart postal = Settings(settingsPath_).postalAtStart();
    if (postal.showPostalAlways || postal.showPostal)
        mnuMain_View_PostalClick();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    FormCloseQuery();
    event->accept();
}

// Closing always succeeds; a settings file that cannot be written is
// reported and the program still ends. Where the window system does not
// tell the window's place, the saved place is kept for the next session
// that does.
void TfrmMain::FormCloseQuery() {
    runReported(this, [this] {
        const Settings settings(settingsPath_);
        if (windowsArePlaced())
            settings.saveMainWindow(framePosition().y(), framePosition().x(),
                                    cmbFrom->currentIndex(), cmbTo->currentIndex());
        else
            settings.saveMainWindowRows(cmbFrom->currentIndex(), cmbTo->currentIndex());
    });
}

// ---------------------------------------------------------------------------
// Recalculations.

void TfrmMain::RecalcYoupack() {
    const IniStore tariff = readTariff(tariffPath_);
    TYoupackRequest r = model_.youpackRequest();
    if (r.Daihiki)
        r.SokinNo = Settings(settingsPath_).remittanceMethod();
    // The caption needs only the zone table, so it shows even when the
    // rest of the quote fails.
    grpYoupack->setTitle(QString::fromStdString(YoupackCaption(tariff, r.FromCaption, r.ToRow)));
    const TParcelQuote quote = QuoteYoupack(tariff, r);
    showTotal(lblYouTotal, yen(grouped(quote.Total)));
    yuPackDetail_ = quote.Detail;
    showDetail(yuPackDetail_);
}

void TfrmMain::RecalcCat() {
    const TCatRequest r = model_.catRequest();
    // The model has enabled or disabled the group by the weight and size.
    if (CatNotHandled(r.WeightRow, r.SizeRow)) {
        showTotal(lblCatTotal, kNotHandled);
        return;
    }
    TParcelQuote quote;
    try {
        quote = QuoteCat(readTariff(tariffPath_), r);
    } catch (...) {
        showTotal(lblCatTotal, QString());
        throw;
    }
    showTotal(lblCatTotal, yen(grouped(quote.Total)));
    catDetail_ = quote.Detail;
    showDetail(catDetail_);
}

// A total keeps its right edge: the label is as wide as its text.
void TfrmMain::showTotal(QLabel* label, const QString& text) {
    showRightAligned(label, text, label == lblYouTotal ? kYouTotalRight : kCatTotalRight, 115, 19);
}

void TfrmMain::showDetail(const std::string& detail) {
    lblDetail->setText(withoutLineBreaks(detail));
}

// ---------------------------------------------------------------------------
// Selections.

void TfrmMain::chooseRow(QComboBox* list) {
    const int row = list->currentIndex();
    forward([this, list, row] {
        if (list == cmbFrom)
            model_.chooseFrom(row);
        else if (list == cmbTo)
            model_.chooseTo(row);
        else if (list == cmbWeight)
            model_.chooseWeight(row);
        else
            model_.chooseSize(row);
    });
}

void TfrmMain::cmbToClick() {
    chooseRow(cmbTo);
}

void TfrmMain::showNoDestination() {
    showTotal(lblYouTotal, yen("---"));
    showTotal(lblCatTotal, yen("---"));
}

void TfrmMain::showNotHandled(Carrier carrier) {
    showTotal(carrier == Carrier::Youpack ? lblYouTotal : lblCatTotal, kNotHandled);
}

void TfrmMain::drawPrefectureRow(QComboBox* list, QPainter& painter, int index, const QRect& rect,
                                 bool selected) {
    const QString caption = list->itemText(index);
    QColor background;
    QColor text;
    if (selected) {
        background = colorFromValue(kSystemHighlight);
        text = colorFromValue(kSystemHighlightText);
    } else {
        background = rowBackground(index);
        text = isSeparatorCaption(caption) ? QColor(Qt::white) : colorFromValue(listTextColor_);
    }
    painter.fillRect(rect, background);
    painter.setPen(text);
    painter.setFont(list->font());
    painter.drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     caption);
}

void TfrmMain::setListTextColor(std::int32_t color) {
    listTextColor_ = color;
    for (QComboBox* list : {static_cast<QComboBox*>(cmbFrom), static_cast<QComboBox*>(cmbTo)}) {
        list->update();
        list->view()->viewport()->update();
    }
}

void TfrmMain::setExplainVisible(bool visible) {
    stExplain->setVisible(visible);
    client->setFixedSize(kClientWidth, visible ? kClientHeight : kClientHeightNoExplain);
}

// ---------------------------------------------------------------------------
// The model and the controls.

void TfrmMain::forward(const std::function<void()>& event) {
    runThenShow(event, [this] { mirror(); });
}

// Copies the model's state onto the controls. Signals are blocked: a copied
// state is no user event.
void TfrmMain::mirror() {
    const auto select = [](QComboBox* list, int row) {
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(row);
    };
    select(cmbFrom, model_.fromRow());
    select(cmbTo, model_.toRow());
    select(cmbWeight, model_.weightRow());
    select(cmbSize, model_.sizeRow());
    for (const auto& [object, option] : boxOptions_) {
        auto* b = static_cast<TActiveColorCheckBox*>(const_cast<QObject*>(object));
        const QSignalBlocker blocker(b);
        b->setChecked(model_.box(option).checked);
        b->setEnabled(model_.box(option).enabled);
    }
    grpYoupack->setEnabled(model_.groupEnabled(Carrier::Youpack));
    grpCat->setEnabled(model_.groupEnabled(Carrier::Cat));
    const auto showText = [](TRightEdit* edit, const std::string& text) {
        const QString wanted = QString::fromStdString(text);
        if (edit->text() == wanted)
            return;
        const QSignalBlocker blocker(edit);
        edit->setText(wanted);
    };
    showText(edtDaihiki, model_.amountText());
    showText(edtFukusu, model_.countText());
    edtFukusu->setVisible(model_.countShown());
    lblFukusu->setVisible(model_.countShown());
}

void TfrmMain::setUseCatDaihiki(bool use) {
    forward([this, use] { model_.useCatCashOnDelivery(use); });
}

TActiveColorCheckBox* TfrmMain::optionBox(ParcelOption option) const {
    switch (option) {
    case ParcelOption::YouCyaku:
        return chkYouCyaku;
    case ParcelOption::YouSokutatsu:
        return chkYouSokutatsu;
    case ParcelOption::YouShitei:
        return chkYouShitei;
    case ParcelOption::Kakitome:
        return chkKakitome;
    case ParcelOption::YouCild:
        return chkYouCild;
    case ParcelOption::YouDaihiki:
        return chkYouDaihiki;
    case ParcelOption::CatHome:
        return chkCatHome;
    case ParcelOption::CatTime:
        return chkCatTime;
    case ParcelOption::CatCool:
        return chkCatCool;
    case ParcelOption::CatDaihiki:
        return chkCatDaihiki;
    case ParcelOption::CatFukusu:
        return chkCatFukusu;
    }
    return nullptr;
}

// The amount's rule drops its failures itself. An emptied edit shows "0"
// selected, so that the next digit typed replaces it.
void TfrmMain::edtDaihikiChange() {
    const std::string typed = edtDaihiki->text().toStdString();
    forward([this, &typed] { model_.typeAmount(typed); });
    if (typed.empty())
        edtDaihiki->setSelection(0, 1);
}

// ---------------------------------------------------------------------------
// Pointer and commands.

// The group's own surface: no control under the pointer, or a disabled one
// (a disabled control passes the pointer on to its group).
bool TfrmMain::isFreeGroupSurface(QGroupBox* group, const QPoint& pos) const {
    const QWidget* child = group->childAt(pos);
    return child == nullptr || !child->isEnabled();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    // Mapped by the window manager: the frame's extents are known now, and
    // the client area may not have moved.
    if (watched == windowHandle()) {
        if (event->type() == QEvent::Expose)
            settleFrame();
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::MouseMove: {
        if (!widget)
            break;
        // Qt keeps the pointer's moves over a disabled button to the button;
        // here, as on the desktop the program was designed for, the group
        // underneath gets them.
        if (!widget->isEnabled() && boxOptions_.contains(watched)) {
            if (widget->parentWidget()->isEnabled())
                hoverGroup(static_cast<QGroupBox*>(widget->parentWidget()));
            break;
        }
        if (!widget->isEnabled())
            break;
        if (auto found = explanations_.find(watched); found != explanations_.end()) {
            stExplain->setText(found->second);
        } else if (watched == grpYoupack || watched == grpCat) {
            const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
            if (isFreeGroupSurface(static_cast<QGroupBox*>(widget), pos))
                hoverGroup(static_cast<QGroupBox*>(widget));
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if ((watched == imgYoupack || watched == imgCat) && mouse->button() == Qt::LeftButton &&
            widget->rect().contains(mouse->position().toPoint()))
            onUserEvent(watched == imgYoupack ? &TfrmMain::imgYoupackClick
                                              : &TfrmMain::imgCatClick);
        break;
    }
    case QEvent::ContextMenu:
        // A disabled box passes the click on to its group, as it does the
        // pointer's moves: the group's popup menu opens.
        if (widget && !widget->isEnabled() && boxOptions_.contains(watched) &&
            widget->parentWidget()->isEnabled()) {
            mnuPopup->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
        break;
    case QEvent::KeyPress:
        // The size list opens itself when a character is typed, and does
        // not search its rows by the typed text.
        if (watched == cmbSize) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (!text.isEmpty() && text.front().isPrint()) {
                cmbSize->showPopup();
                return true;
            }
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::hoverGroup(QGroupBox* group) {
    onUserEvent(group == grpYoupack ? &TfrmMain::grpYoupackMouseMove : &TfrmMain::grpCatMouseMove);
}

void TfrmMain::grpYoupackMouseMove() {
    hoverCarrier_ = 1;
    stExplain->clear();
    showDetail(yuPackDetail_);
}

void TfrmMain::grpCatMouseMove() {
    hoverCarrier_ = 2;
    stExplain->clear();
    showDetail(catDetail_);
}

void TfrmMain::mnuPopup_Copy_LineClick() {
    QString detail;
    QString total;
    if (hoverCarrier_ == 1) {
        detail = withoutLineBreaks(yuPackDetail_);
        total = lblYouTotal->text();
    } else if (hoverCarrier_ == 2) {
        detail = withoutLineBreaks(catDetail_);
        total = lblCatTotal->text();
    }
    platform().setClipboardText(detail + QStringLiteral(" = 合計額") + total +
                                QStringLiteral("\r\n"));
}

void TfrmMain::imgYoupackClick() {
    openPage(this, QString::fromStdString(Settings(settingsPath_).youpackHomePage()));
}

void TfrmMain::imgCatClick() {
    openPage(this, QString::fromStdString(Settings(settingsPath_).catHomePage()));
}

void TfrmMain::btnMapClick() {
    if (commands.openMap)
        commands.openMap(*this);
    cmbWeight->setFocus();
}

void TfrmMain::mnuMain_View_PostalClick() {
    if (commands.openPostal)
        commands.openPostal(*this);
}

void TfrmMain::TimerTimer() {
    if (commands.dockPostal)
        commands.dockPostal(*this);
}

void TfrmMain::mnuMain_Option_SettingsClick() {
    if (commands.openOptions)
        commands.openOptions(*this);
}

void TfrmMain::mnuMain_Help_VersionClick() {
    if (commands.openAbout)
        commands.openAbout(*this);
}

void TfrmMain::mnuMain_Help_ViewClick() {
    const std::filesystem::path page = programDir() / kIntroductionPage;
    if (mayHandOver(page))
        openPage(this, QDir::toNativeSeparators(QString::fromStdString(page.string())));
}

void TfrmMain::mnuMain_Help_UseClick() {
    const std::filesystem::path page = programDir() / kHowToUsePage;
    if (mayHandOver(page))
        openPage(this, QDir::toNativeSeparators(QString::fromStdString(page.string())));
}

} // namespace hakomaru
