#include "Postal.h"
#include "FormPieces.h"
#include "WindowFonts.h"

#include "ColorValue.h"
#include "Main.h"
#include "Platform.h"
#include "controls/ActiveColorCheckBox.h"
#include "controls/OwnerDrawComboBox.h"
#include "controls/RightEdit.h"

#include "Catalogues.h"
#include "NumberText.h"
#include "QuotePostal.h"
#include "Settings.h"
#include "Sjis.h"
#include "Tariff.h"
#include "WindowPlacement.h"

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
    if (row == 0)
        return {QColor(0x00, 0x80, 0x00), Qt::white};
    if (row <= 2)
        return {QColor(0xEA, 0xFF, 0xD8), {}};
    if (row == 3)
        return {QColor(0xCD, 0x5C, 0x5C), Qt::white};
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
                                      int left, int top, int width, Rule rule,
                                      const char* explanation) {
    auto* b = place(new TActiveColorCheckBox(QString::fromUtf8(caption), page), name, left, top,
                    width, 13);
    b->setCursor(Qt::PointingHandCursor);
    b->setMouseTracking(true);
    clickRules_[b] = rule;
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

    using P = TfrmPostal;
    chkInCity = box(tabNormal, "chkInCity", "市内特別", 12, 8, 73, &P::chkInCityClick,
                    "荷物の届け先が東京23区内または同一市内の場合で、一定の条件を満たせば料金"
                    "が割引されます。");
    chkSokutatsu = box(tabNormal, "chkSokutatsu", "速達", 104, 8, 61, &P::chkSokutatsuClick,
                       "通常の配達より早く届けることが出来ます。");
    chkHaitatsu = box(tabNormal, "chkHaitatsu", "配達記録付", 12, 31, 81, &P::chkHaitatsuClick,
                      "配達状況を記録して配達します。但し、商品破損時の損害賠償はありません。");
    chk10clock = box(tabNormal, "chk10clock", "翌朝10時", 104, 31, 73, &P::chk10clockClick,
                     "翌朝の10時までに必ず配達します。");
    chkKaniKakitome =
        box(tabNormal, "chkKaniKakitome", "簡易書留", 12, 54, 85, &P::chkKaniKakitomeClick,
            "商品破損時の損害賠償額の上限が5万円になります。");
    chkKakitome = box(tabNormal, "chkKakitome", "書留", 104, 54, 61, &P::chkKakitomeClick,
                      "商品破損時の損害賠償額の上限が500万円になります。");
    chkGentei = box(tabNormal, "chkGentei", "本人限定受取", 12, 77, 113, &P::chkGenteiClick,
                    "受取人のみが、郵便局窓口にて荷物を受領できます。受領には運転免許証や旅券"
                    "等の本人を証明する書類が必要です。代理人受取も不可。");
    chkDaihiki = box(tabNormal, "chkDaihiki", "代金引換", 12, 100, 97, &P::chkDaihikiClick,
                     "引き替え額の支払いと引き替えに受取人が荷物を受領します。");

    chkB_Cyaku = box(tabBooks, "chkB_Cyaku", "着払い", 12, 8, 65, &P::chkB_CyakuClick,
                     "送料を受取人が負担します。");
    chkB_Sokutatsu = box(tabBooks, "chkB_Sokutatsu", "速達", 104, 8, 53, &P::chkB_SokutatsuClick,
                         "通常の配達よりも早く届けることが出来ます。");
    chkB_Shitei = box(tabBooks, "chkB_Shitei", "配達日指定", 12, 31, 113, &P::chkB_ShiteiClick,
                      "受取人が確実に受け取れる日を指定して発送します。");
    chkB_Kani = box(tabBooks, "chkB_Kani", "簡易書留", 12, 54, 73, &P::chkB_KaniClick,
                    "商品破損時の損害賠償の上限が5万円になります。");
    chkB_Kakitome = box(tabBooks, "chkB_Kakitome", "書留", 104, 54, 65, &P::chkB_KakitomeClick,
                        "商品破損時の損害賠償額の上限が500万円となります。");
    chkB_Daihiki = box(tabBooks, "chkB_Daihiki", "代金引換", 12, 77, 89, &P::chkB_DaihikiClick,
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
    for (const auto& [object, rule] : clickRules_) {
        auto* b = static_cast<TActiveColorCheckBox*>(const_cast<QObject*>(object));
        connect(b, &QAbstractButton::clicked, this, [this, rule = rule] { onUserEvent(rule); });
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
    } else {
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
    cmbWeightNormal->setCurrentIndex(0);
}

// The page index as it is stored: -1 while no page is active.
int TfrmPostal::activePage() const {
    const int index = pgPostal->currentIndex();
    return index == 0 || index == 1 ? index : -1;
}

void TfrmPostal::pageChosen(int index) {
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
    if (inCityAvailable(cmbWeightNormal->currentIndex())) {
        chkInCity->setEnabled(true);
    } else {
        setChecked(chkInCity, false);
        chkInCity->setEnabled(false);
    }
    RefreshLetterMail();
    RefreshBookParcel();
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
    TLetterMailRequest r;
    r.WeightRow = cmbWeightNormal->currentIndex();
    r.InCity = chkInCity->isChecked();
    r.Sokutatsu = chkSokutatsu->isChecked();
    r.Haitatsu = chkHaitatsu->isChecked();
    r.Morning10 = chk10clock->isChecked();
    r.KaniKakitome = chkKaniKakitome->isChecked();
    r.Kakitome = chkKakitome->isChecked();
    r.Gentei = chkGentei->isChecked();
    r.Daihiki = chkDaihiki->isChecked();
    r.DaihikiText = edtDaihiki->text().toStdString();
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
    TBookParcelRequest r;
    r.WeightRow = cmbWeightNormal->currentIndex();
    r.Cyaku = chkB_Cyaku->isChecked();
    r.Sokutatsu = chkB_Sokutatsu->isChecked();
    r.Shitei = chkB_Shitei->isChecked();
    r.Kani = chkB_Kani->isChecked();
    r.Kakitome = chkB_Kakitome->isChecked();
    r.Daihiki = chkB_Daihiki->isChecked();
    r.DaihikiText = edtDaihiki->text().toStdString();
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
// Rule plumbing.

void TfrmPostal::setChecked(TActiveColorCheckBox* box, bool checked) {
    if (box->isChecked() == checked)
        return;
    {
        const QSignalBlocker blocker(box);
        box->setChecked(checked);
    }
    (this->*clickRules_.at(box))();
}

TActiveColorCheckBox* TfrmPostal::optionBox(LetterOption option) const {
    switch (option) {
    case LetterOption::InCity:
        return chkInCity;
    case LetterOption::Sokutatsu:
        return chkSokutatsu;
    case LetterOption::Haitatsu:
        return chkHaitatsu;
    case LetterOption::Morning10:
        return chk10clock;
    case LetterOption::KaniKakitome:
        return chkKaniKakitome;
    case LetterOption::Kakitome:
        return chkKakitome;
    case LetterOption::Gentei:
        return chkGentei;
    case LetterOption::Daihiki:
        return chkDaihiki;
    }
    return nullptr;
}

TActiveColorCheckBox* TfrmPostal::optionBox(BookOption option) const {
    switch (option) {
    case BookOption::Cyaku:
        return chkB_Cyaku;
    case BookOption::Sokutatsu:
        return chkB_Sokutatsu;
    case BookOption::Shitei:
        return chkB_Shitei;
    case BookOption::Kani:
        return chkB_Kani;
    case BookOption::Kakitome:
        return chkB_Kakitome;
    case BookOption::Daihiki:
        return chkB_Daihiki;
    }
    return nullptr;
}

template <typename Option> void TfrmPostal::disableExcluded(Option option) {
    for (Option other : excludedBy(option))
        optionBox(other)->setEnabled(false);
}

// ---------------------------------------------------------------------------
// Rules of the 普通郵便 page. Checking a box disables the options it
// excludes; unchecking one enables them again as each rule says.

void TfrmPostal::chkInCityClick() {
    if (chkInCity->isChecked())
        disableExcluded(LetterOption::InCity);
    else
        chkGentei->setEnabled(true);
    RefreshLetterMail();
}

void TfrmPostal::chkSokutatsuClick() {
    if (chkSokutatsu->isChecked())
        disableExcluded(LetterOption::Sokutatsu);
    else if (!chkHaitatsu->isChecked() && !chkKaniKakitome->isChecked() && !chkGentei->isChecked())
        chk10clock->setEnabled(true);
    RefreshLetterMail();
}

void TfrmPostal::chkHaitatsuClick() {
    if (chkHaitatsu->isChecked()) {
        disableExcluded(LetterOption::Haitatsu);
    } else {
        if (!chkSokutatsu->isChecked())
            chk10clock->setEnabled(true);
        for (QWidget* b : {chkKaniKakitome, chkKakitome, chkGentei, chkDaihiki})
            b->setEnabled(true);
    }
    RefreshLetterMail();
}

void TfrmPostal::chk10clockClick() {
    if (chk10clock->isChecked()) {
        disableExcluded(LetterOption::Morning10);
    } else if (chkKakitome->isChecked()) {
        chkSokutatsu->setEnabled(true);
        chkGentei->setEnabled(true);
    } else if (chkDaihiki->isChecked()) {
        chkSokutatsu->setEnabled(true);
        chkKaniKakitome->setEnabled(true);
    } else {
        for (QWidget* b : {chkSokutatsu, chkHaitatsu, chkKaniKakitome, chkGentei})
            b->setEnabled(true);
    }
    RefreshLetterMail();
}

void TfrmPostal::chkKaniKakitomeClick() {
    if (chkKaniKakitome->isChecked()) {
        disableExcluded(LetterOption::KaniKakitome);
    } else {
        if (!chkSokutatsu->isChecked())
            chk10clock->setEnabled(true);
        for (QWidget* b : {chkHaitatsu, chkKakitome, chkGentei})
            b->setEnabled(true);
    }
    RefreshLetterMail();
}

void TfrmPostal::chkKakitomeClick() {
    if (chkKakitome->isChecked()) {
        disableExcluded(LetterOption::Kakitome);
    } else if (chk10clock->isChecked()) {
        // 翌朝10時 keeps the boxes it disabled.
    } else if (chkDaihiki->isChecked()) {
        chkKaniKakitome->setEnabled(true);
    } else if (chkGentei->isChecked()) {
        // 本人限定受取 needs 書留: it goes too.
        setChecked(chkGentei, false);
    } else {
        chkHaitatsu->setEnabled(true);
        chkKaniKakitome->setEnabled(true);
    }
    RefreshLetterMail();
}

void TfrmPostal::chkGenteiClick() {
    if (chkGentei->isChecked()) {
        // 本人限定受取 needs 書留, which is checked before 代金引換 goes.
        for (LetterOption other : excludedBy(LetterOption::Gentei))
            if (other != LetterOption::Daihiki)
                optionBox(other)->setEnabled(false);
        setChecked(chkKakitome, true);
        chkDaihiki->setEnabled(false);
    } else {
        chkInCity->setEnabled(inCityAvailable(cmbWeightNormal->currentIndex()));
        if (!chkSokutatsu->isChecked())
            chk10clock->setEnabled(true);
        chkHaitatsu->setEnabled(true);
        chkKaniKakitome->setEnabled(true);
        setChecked(chkKakitome, false);
        chkDaihiki->setEnabled(true);
    }
    RefreshLetterMail();
}

void TfrmPostal::chkDaihikiClick() {
    if (chkDaihiki->isChecked()) {
        disableExcluded(LetterOption::Daihiki);
        // Throws when the amount is not a number: the refresh is skipped.
        if (registeredRequired(toSingle(edtDaihiki->text().toStdString())))
            setChecked(chkKakitome, true);
    } else if (chk10clock->isChecked() || chkKaniKakitome->isChecked()) {
        // Those keep the boxes they disabled.
    } else if (chkKakitome->isChecked()) {
        chkGentei->setEnabled(true);
    } else {
        chkHaitatsu->setEnabled(true);
        chkGentei->setEnabled(true);
    }
    RefreshLetterMail();
}

// ---------------------------------------------------------------------------
// Rules of the 冊子小包 page.

void TfrmPostal::chkB_CyakuClick() {
    if (chkB_Cyaku->isChecked()) {
        disableExcluded(BookOption::Cyaku);
    } else {
        chkB_Shitei->setEnabled(true);
        chkB_Daihiki->setEnabled(true);
    }
    RefreshBookParcel();
}

void TfrmPostal::chkB_SokutatsuClick() {
    if (chkB_Sokutatsu->isChecked())
        disableExcluded(BookOption::Sokutatsu);
    else if (!chkB_Cyaku->isChecked())
        chkB_Shitei->setEnabled(true);
    RefreshBookParcel();
}

void TfrmPostal::chkB_ShiteiClick() {
    if (chkB_Shitei->isChecked()) {
        disableExcluded(BookOption::Shitei);
    } else {
        if (!chkB_Daihiki->isChecked())
            chkB_Cyaku->setEnabled(true);
        chkB_Sokutatsu->setEnabled(true);
    }
    RefreshBookParcel();
}

void TfrmPostal::chkB_KaniClick() {
    if (chkB_Kani->isChecked())
        disableExcluded(BookOption::Kani);
    else
        chkB_Kakitome->setEnabled(true);
    RefreshBookParcel();
}

void TfrmPostal::chkB_KakitomeClick() {
    if (chkB_Kakitome->isChecked())
        disableExcluded(BookOption::Kakitome);
    else
        chkB_Kani->setEnabled(true);
    RefreshBookParcel();
}

void TfrmPostal::chkB_DaihikiClick() {
    if (chkB_Daihiki->isChecked())
        disableExcluded(BookOption::Daihiki);
    else
        chkB_Cyaku->setEnabled(true);
    RefreshBookParcel();
}

// ---------------------------------------------------------------------------
// The cash-on-delivery amount, in units of 10,000 yen. Any failure ends the
// rule silently: the amount is half-typed while it runs.

void TfrmPostal::edtDaihikiChange() {
    try {
        const float amount = toSingle(edtDaihiki->text().toStdString());
        if (postalAmountRefused(amount)) {
            platform().showMessage(this, QString::fromUtf8(postalAmountLimitMessage()));
            // The new text runs this rule again, which clears both 書留.
            edtDaihiki->setText(QStringLiteral("0"));
            return;
        }
        const bool registered = registeredRequired(amount);
        setChecked(chkKakitome, registered);
        setChecked(chkB_Kakitome, registered);
        RefreshLetterMail();
        RefreshBookParcel();
    } catch (const std::exception&) {
    }
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
