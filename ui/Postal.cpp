#include "Postal.h"
#include "FormPieces.h"
#include "WindowFonts.h"

#include "ColorValue.h"
#include "Main.h"
#include "Platform.h"
#include "controls/ActiveColorCheckBox.h"
#include "controls/OwnerDrawComboBox.h"
#include "controls/RightEdit.h"

#include "Settings.h"
#include "WindowPlacement.h"
#include "quote/QuotePostal.h"
#include "tariff/Catalogues.h"
#include "tariff/Tariff.h"
#include "text/NumberText.h"
#include "text/Sjis.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>

#include <memory>

namespace hakomaru {
namespace {

constexpr int kClientWidth = 202;
constexpr int kClientHeight = 218;
// Both totals keep this right edge in their page as their text changes.
constexpr int kTotalRight = 181;
constexpr int kTotalTop = 103;
constexpr int kTotalHeight = 19;

const QString kNotAvailable = QString::fromUtf8(kNotHandledText);

// Colours of a weight row that is not drawn selected: the two headings
// stand out, the rows under each heading share a pale band.
struct RowColors {
    QColor background;
    QColor text; // invalid: the list's text colour
};

RowColors weightRowColors(int row) {
    if (row == kStandardSizeHeadingRow)
        return {QColor(0x00, 0x80, 0x00), Qt::white};
    if (row == kNonStandardHeadingRow)
        return {QColor(0xCD, 0x5C, 0x5C), Qt::white};
    if (IsStandardSizeRow(row))
        return {QColor(0xEA, 0xFF, 0xD8), {}};
    return {QColor(0xFF, 0xF9, 0xFF), {}};
}

} // namespace

// ---------------------------------------------------------------------------
// Construction.

TfrmPostal::TfrmPostal(TfrmMain& main) : QWidget(&main), main_(main) {
    buildWindow();
    buildPages();
    setTabOrder();
    connectHandlers();
    FormCreate();
}

TfrmPostal::~TfrmPostal() = default;

void TfrmPostal::buildWindow() {
    setObjectName(QStringLiteral("frmPostal"));
    setWindowTitle(QStringLiteral("普通郵便・冊子小包"));
    // A dialog frame with the close box only, owned by the main window.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_DeleteOnClose);
    minimiseWithOwner(*this);
    setFont(windowFont(kPGothic, 12));
    setFixedSize(kClientWidth, kClientHeight);

    lblWeightNormal = label(this, "lblWeightNormal", "重量：", 30, 12, 30, 12);
    cmbWeightNormal = place(new OwnerDrawComboBox(this), "cmbWeightNormal", 64, 8, 133, 19);
    cmbWeightNormal->setFont(windowFont(kGothic, 13));
    cmbWeightNormal->setItemHeight(13);
    cmbWeightNormal->setMaxVisibleItems(18);
    cmbWeightNormal->setCursor(Qt::PointingHandCursor);
    cmbWeightNormal->onDrawItem = [this](QPainter& p, int index, const QRect& r, bool selected) {
        cmbWeightNormalDrawItem(p, index, r, selected);
    };

    lblDaihiki = label(this, "lblDaihiki", "代引き額：", 8, 36, 52, 12);
    edtDaihiki = place(new TRightEdit(this), "edtDaihiki", 64, 32, 33, 21);
    edtDaihiki->setFont(windowFont(kGothic, 13));
    edtDaihiki->setMaxLength(kAmountTextLength);
    edtDaihiki->setText(QStringLiteral("0"));
    Label1 = label(this, "Label1", "万円", 100, 40, 24, 12);

    pgPostal = place(new QTabWidget(this), "pgPostal", 4, 60, 193, 153);
    mnuPopup = new QMenu(this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    QAction* line = mnuPopup->addAction(QStringLiteral("料金詳細をクリップボードにコピー"));
    line->setObjectName(QStringLiteral("mnuPopup_Line"));
    connect(line, &QAction::triggered, this,
            [this] { onUserEvent(&TfrmPostal::mnuPopup_LineClick); });
}

TActiveColorCheckBox* TfrmPostal::box(QWidget* page, const char* name, const char* caption,
                                      int left, int top, int width, Option option,
                                      const char* explanation) {
    auto* b = place(new TActiveColorCheckBox(QString::fromUtf8(caption), page), name, left, top,
                    width, 13);
    b->setCursor(Qt::PointingHandCursor);
    b->setMouseTracking(true);
    boxOptions_[b] = option;
    explanations_[b] = QString::fromUtf8(explanation);
    return b;
}

void TfrmPostal::buildPages() {
    tabNormal = new QWidget;
    tabNormal->setObjectName(QStringLiteral("tabNormal"));
    tabBooks = new QWidget;
    tabBooks->setObjectName(QStringLiteral("tabBooks"));
    pgPostal->addTab(tabNormal, QStringLiteral("普通郵便"));
    pgPostal->addTab(tabBooks, QStringLiteral("冊子小包"));

    chkInCity = box(tabNormal, "chkInCity", "市内特別", 12, 8, 73, LetterOption::InCity,
                    "荷物の届け先が東京23区内または同一市内の場合で、一定の条件を満たせば料金"
                    "が割引されます。");
    chkSokutatsu = box(tabNormal, "chkSokutatsu", "速達", 104, 8, 61, LetterOption::Sokutatsu,
                       "通常の配達より早く届けることが出来ます。");
    chkHaitatsu = box(tabNormal, "chkHaitatsu", "配達記録付", 12, 31, 81, LetterOption::Haitatsu,
                      "配達状況を記録して配達します。但し、商品破損時の損害賠償はありません。");
    chk10clock = box(tabNormal, "chk10clock", "翌朝10時", 104, 31, 73, LetterOption::Morning10,
                     "翌朝の10時までに必ず配達します。");
    chkKaniKakitome =
        box(tabNormal, "chkKaniKakitome", "簡易書留", 12, 54, 85, LetterOption::KaniKakitome,
            "商品破損時の損害賠償額の上限が5万円になります。");
    chkKakitome = box(tabNormal, "chkKakitome", "書留", 104, 54, 61, LetterOption::Kakitome,
                      "商品破損時の損害賠償額の上限が500万円になります。");
    chkGentei = box(tabNormal, "chkGentei", "本人限定受取", 12, 77, 113, LetterOption::Gentei,
                    "受取人のみが、郵便局窓口にて荷物を受領できます。受領には運転免許証や旅券"
                    "等の本人を証明する書類が必要です。代理人受取も不可。");
    chkDaihiki = box(tabNormal, "chkDaihiki", "代金引換", 12, 100, 97, LetterOption::Daihiki,
                     "引き替え額の支払いと引き替えに受取人が荷物を受領します。");

    chkB_Cyaku = box(tabBooks, "chkB_Cyaku", "着払い", 12, 8, 65, BookOption::Cyaku,
                     "送料を受取人が負担します。");
    chkB_Sokutatsu = box(tabBooks, "chkB_Sokutatsu", "速達", 104, 8, 53, BookOption::Sokutatsu,
                         "通常の配達よりも早く届けることが出来ます。");
    chkB_Shitei = box(tabBooks, "chkB_Shitei", "配達日指定", 12, 31, 113, BookOption::Shitei,
                      "受取人が確実に受け取れる日を指定して発送します。");
    chkB_Kani = box(tabBooks, "chkB_Kani", "簡易書留", 12, 54, 73, BookOption::Kani,
                    "商品破損時の損害賠償の上限が5万円になります。");
    chkB_Kakitome = box(tabBooks, "chkB_Kakitome", "書留", 104, 54, 65, BookOption::Kakitome,
                        "商品破損時の損害賠償額の上限が500万円となります。");
    chkB_Daihiki = box(tabBooks, "chkB_Daihiki", "代金引換", 12, 77, 89, BookOption::Daihiki,
                       "引き替え額の支払いと引き替えに受取人が荷物を受領します。");

    lblTotal = new QLabel(tabNormal);
    lblTotal->setObjectName(QStringLiteral("lblTotal"));
    lblB_Total = new QLabel(tabBooks);
    lblB_Total->setObjectName(QStringLiteral("lblB_Total"));
    for (QLabel* total : {lblTotal, lblB_Total}) {
        total->setFont(windowFont(kPMincho, 19, true));
        QPalette p = total->palette();
        p.setColor(QPalette::WindowText, Qt::red);
        total->setPalette(p);
        total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        showTotal(total, yen("0"));
    }

    for (QWidget* page : {tabNormal, tabBooks}) {
        page->setMouseTracking(true);
        page->installEventFilter(this);
        page->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(page, &QWidget::customContextMenuRequested, this,
                [this, page](const QPoint& pos) { mnuPopup->popup(page->mapToGlobal(pos)); });
    }
}

void TfrmPostal::setTabOrder() {
    QWidget* const order[] = {
        cmbWeightNormal, edtDaihiki,      pgPostal,    chkInCity,     chkSokutatsu, chkHaitatsu,
        chk10clock,      chkKaniKakitome, chkKakitome, chkGentei,     chkDaihiki,   chkB_Cyaku,
        chkB_Sokutatsu,  chkB_Shitei,     chkB_Kani,   chkB_Kakitome, chkB_Daihiki};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void TfrmPostal::connectHandlers() {
    connect(cmbWeightNormal, &QComboBox::activated, this,
            [this] { onUserEvent(&TfrmPostal::cmbWeightNormalClick); });
    for (const auto& [object, option] : boxOptions_) {
        auto* b = static_cast<TActiveColorCheckBox*>(const_cast<QObject*>(object));
        connect(b, &QAbstractButton::clicked, this, [this, option = option] {
            runReported(this, [this, option] {
                forward(
                    [this, option] { std::visit([this](auto o) { model_.click(o); }, option); });
            });
        });
        b->installEventFilter(this);
    }
    // The amount rule drops its failures itself.
    connect(edtDaihiki, &QLineEdit::textChanged, this, [this] { edtDaihikiChange(); });
    edtDaihiki->onKeyPress = [](QChar& c) {
        const char16_t u = c.unicode();
        if (!(u == 0x08 || u == u'.' || (u >= u'0' && u <= u'9')))
            c = QChar();
    };
    connect(edtDaihiki, &TRightEdit::mouseDown, edtDaihiki, [this] { edtDaihiki->selectAll(); });
    connect(pgPostal, &QTabWidget::currentChanged, this, [this](int index) { pageChosen(index); });
}

void TfrmPostal::onUserEvent(Rule rule) {
    runReported(this, [this, rule] { (this->*rule)(); });
}

// ---------------------------------------------------------------------------
// Start and end.

void TfrmPostal::FormCreate() {
    const int page = Settings(main_.settingsPath()).postalTabIndex();
    if (page == 0 || page == 1) {
        pgPostal->setCurrentIndex(page);
        model_.choosePage(static_cast<PostalPage>(page));
    } else {
        model_.choosePage(PostalPage::None);
        // No page is active until the user picks a tab: an empty page whose
        // tab is hidden stands in for none.
        noPage_ = new QWidget;
        noPage_->setObjectName(QStringLiteral("noPage"));
        const int index = pgPostal->addTab(noPage_, QString());
        pgPostal->setTabVisible(index, false);
        pgPostal->setCurrentIndex(index);
    }
    // A settings file that cannot be written is reported; the window still
    // gets its weight list.
    runReported(this, [this] { Settings(main_.settingsPath()).savePostalOpened(); });
    for (std::string_view row : PostalWeightRows())
        cmbWeightNormal->addItem(fromView(row));
    mirror();
}

// The page index as it is stored: -1 while no page is active.
int TfrmPostal::activePage() const {
    return static_cast<int>(model_.page());
}

void TfrmPostal::pageChosen(int index) {
    if (index == 0 || index == 1)
        model_.choosePage(static_cast<PostalPage>(index));
    if (noPage_ && (index == 0 || index == 1)) {
        pgPostal->removeTab(pgPostal->indexOf(noPage_));
        noPage_->deleteLater();
        noPage_ = nullptr;
    }
}

void TfrmPostal::closeEvent(QCloseEvent* event) {
    if (!endingWithProgram_)
        FormCloseQuery();
    event->accept();
}

// Closing is always allowed; a settings file that cannot be written is
// reported, and the docking stops all the same.
void TfrmPostal::FormCloseQuery() {
    runReported(this, [this] { Settings(main_.settingsPath()).savePostalClosed(activePage()); });
    main_.Timer->stop();
}

// ---------------------------------------------------------------------------
// The weight list.

void TfrmPostal::cmbWeightNormalClick() {
    const int row = cmbWeightNormal->currentIndex();
    forward([this, row] { model_.chooseWeight(row); });
}

void TfrmPostal::cmbWeightNormalDrawItem(QPainter& painter, int index, const QRect& rect,
                                         bool selected) {
    QColor background;
    QColor text;
    if (selected) {
        background = colorFromValue(kSystemHighlight);
        text = colorFromValue(kSystemHighlightText);
    } else {
        const RowColors colors = weightRowColors(index);
        background = colors.background;
        text = colors.text.isValid() ? colors.text : colorFromValue(main_.listTextColor());
    }
    painter.fillRect(rect, background);
    painter.setPen(text);
    painter.setFont(cmbWeightNormal->font());
    painter.drawText(rect.adjusted(12, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     cmbWeightNormal->itemText(index));
}

// ---------------------------------------------------------------------------
// Refreshes.

void TfrmPostal::RefreshLetterMail() {
    TLetterMailRequest r = model_.letterRequest();
    if (r.Daihiki)
        r.SokinNo = Settings(main_.settingsPath()).remittanceMethod();
    const TPostalQuote quote = LetterMailReadsNothing(r.WeightRow)
                                   ? QuoteLetterMail(IniStore{}, r)
                                   : QuoteLetterMail(readTariff(main_.tariffPath()), r);
    if (quote.State != PostalState::Quoted) {
        // No quote, so no detail: a copy then shows the total alone.
        letterDetail_.clear();
        showTotal(lblTotal, yen("0"));
        return;
    }
    letterDetail_ = quote.Detail;
    showTotal(lblTotal, yen(grouped(quote.Total)));
    main_.lblDetail->setText(QString::fromStdString(letterDetail_));
}

void TfrmPostal::RefreshBookParcel() {
    TBookParcelRequest r = model_.bookRequest();
    if (r.Daihiki)
        r.SokinNo = Settings(main_.settingsPath()).remittanceMethod();
    const TPostalQuote quote = BookParcelReadsNothing(r.WeightRow)
                                   ? QuoteBookParcel(IniStore{}, r)
                                   : QuoteBookParcel(readTariff(main_.tariffPath()), r);
    if (quote.State != PostalState::Quoted) {
        bookDetail_.clear();
        showTotal(lblB_Total, quote.State == PostalState::NotAvailable ? kNotAvailable : yen("0"));
        return;
    }
    bookDetail_ = quote.Detail;
    showTotal(lblB_Total, yen(grouped(quote.Total)));
    main_.lblDetail->setText(withoutLineBreaks(bookDetail_));
}

// A total keeps its right edge: the label is as wide as its text.
void TfrmPostal::showTotal(QLabel* label, const QString& text) {
    showRightAligned(label, text, kTotalRight, kTotalTop, kTotalHeight);
}

// ---------------------------------------------------------------------------
// The model and the controls.

void TfrmPostal::forward(const std::function<void()>& event) {
    runThenShow(event, [this] { mirror(); });
}

// Copies the model's state onto the controls. Signals are blocked: a copied
// state is no user event.
void TfrmPostal::mirror() {
    {
        const QSignalBlocker blocker(cmbWeightNormal);
        cmbWeightNormal->setCurrentIndex(model_.weightRow());
    }
    for (const auto& [object, option] : boxOptions_) {
        auto* b = static_cast<TActiveColorCheckBox*>(const_cast<QObject*>(object));
        const BoxState state = std::visit([this](auto o) { return model_.box(o); }, option);
        const QSignalBlocker blocker(b);
        b->setChecked(state.checked);
        b->setEnabled(state.enabled);
    }
    const QString amount = QString::fromStdString(model_.amountText());
    if (edtDaihiki->text() != amount) {
        const QSignalBlocker blocker(edtDaihiki);
        edtDaihiki->setText(amount);
    }
}

// The amount above the limit is refused with a message; the model then puts
// "0" back.
void TfrmPostal::showAmountLimit() {
    platform().showMessage(this, QString::fromUtf8(postalAmountLimitMessage()));
}

void TfrmPostal::edtDaihikiChange() {
    const std::string typed = edtDaihiki->text().toStdString();
    forward([this, &typed] { model_.typeAmount(typed); });
}

// ---------------------------------------------------------------------------
// Pointer and the copy command.

// The page's own surface: no control under the pointer, or a disabled one
// (a disabled control passes the pointer on to its page).
bool TfrmPostal::isFreePageSurface(QWidget* page, const QPoint& pos) const {
    const QWidget* child = page->childAt(pos);
    return child == nullptr || !child->isEnabled();
}

bool TfrmPostal::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::ContextMenu && explanations_.count(watched) &&
        !widget->isEnabled()) {
        // A disabled button keeps the right button to itself; the page's
        // menu opens there as on the rest of the page.
        mnuPopup->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    if (event->type() != QEvent::MouseMove)
        return QWidget::eventFilter(watched, event);
    if (auto found = explanations_.find(watched); found != explanations_.end()) {
        if (widget->isEnabled())
            main_.stExplain->setText(found->second);
        else // a disabled box leaves the pointer to its page
            onUserEvent(widget->parentWidget() == tabNormal ? &TfrmPostal::tabNormalMouseMove
                                                            : &TfrmPostal::tabBooksMouseMove);
    } else if (watched == tabNormal || watched == tabBooks) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (isFreePageSurface(widget, pos))
            onUserEvent(watched == tabNormal ? &TfrmPostal::tabNormalMouseMove
                                             : &TfrmPostal::tabBooksMouseMove);
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmPostal::tabNormalMouseMove() {
    hoverPage_ = 1;
    main_.lblDetail->setText(QString::fromStdString(letterDetail_));
    main_.stExplain->clear();
}

void TfrmPostal::tabBooksMouseMove() {
    hoverPage_ = 2;
    main_.lblDetail->setText(withoutLineBreaks(bookDetail_));
}

void TfrmPostal::mnuPopup_LineClick() {
    QString text;
    if (hoverPage_ == 1)
        text = QString::fromStdString(letterDetail_) + QStringLiteral(" = 合計") + lblTotal->text();
    else if (hoverPage_ == 2)
        text = QString::fromStdString(bookDetail_) + QStringLiteral(" = 合計") + lblB_Total->text();
    platform().setClipboardText(text + QStringLiteral("\r\n"));
}

// ---------------------------------------------------------------------------
// The main window's part.

namespace {

// Watches the main window for its close: the program is ending, and any
// postal window still open goes without its close handling.
class ProgramEndWatch final : public QObject {
  public:
    explicit ProgramEndWatch(TfrmMain& main) : QObject(&main), main_(main) {
        main.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &main_ && event->type() == QEvent::Close)
            for (TfrmPostal* postal :
                 main_.findChildren<TfrmPostal*>(QString(), Qt::FindDirectChildrenOnly))
                postal->endWithProgram();
        return false;
    }

  private:
    TfrmMain& main_;
};

// Frame to frame, so both title bars are level. Moves only what is off its
// place: the window manager hears of a move only when there is one.
void dock(QWidget& postal, const TfrmMain& main) {
    const QPoint frame = dockedFramePosition(main.framePosition());
    if (framePosition(postal) != frame || !postal.isVisible())
        moveFrame(postal, frame);
}

// Both windows whole on the screen: a postal window that would start left of
// the screen's available area moves the main window right just enough.
void makeRoomForPostalWindow(TfrmMain& main) {
    const QPoint frame = main.framePosition();
    const QScreen* screen = QGuiApplication::screenAt(frame);
    if (!screen)
        screen = main.screen();
    if (!screen)
        return;
    const QPoint room = roomForPostalWindow(frame, screen->availableGeometry());
    if (room != frame)
        main.placeFrame(room);
}

} // namespace

void installPostalWindow(TfrmMain& main) {
    // The window the Timer keeps docked: the one opened last, while open.
    auto newest = std::make_shared<QPointer<TfrmPostal>>();
    main.commands.openPostal = [newest](TfrmMain& m) {
        auto* postal = new TfrmPostal(m);
        *newest = postal;
        makeRoomForPostalWindow(m);
        dock(*postal, m);
        postal->show();
        // Opened from the menu, the new window takes the keyboard from the
        // main window; at start-up the main window keeps it.
        if (m.isActiveWindow())
            postal->activateWindow();
        m.Timer->start();
    };
    main.commands.dockPostal = [newest](TfrmMain& m) {
        if (*newest)
            dock(**newest, m);
    };
    new ProgramEndWatch(main);
}

} // namespace hakomaru
