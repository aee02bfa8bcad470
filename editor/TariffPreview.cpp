#include "TariffPreview.h"

#include "quote/QuotePostal.h"
#include "selection/Choices.h"
#include "selection/ParcelPricing.h"
#include "tariff/Catalogues.h"
#include "tariff/TariffOptions.h"
#include "text/NumberText.h"
#include "text/Sjis.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStandardItemModel>

#include <algorithm>
#include <span>
#include <string_view>

namespace hakomaru {
namespace {

// A list of the windows' rows; separator rows are headings, never chosen.
QComboBox* listOf(QWidget* parent, const char* name, std::span<const std::string_view> rows,
                  int current) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    auto* model = new QStandardItemModel(box);
    for (std::string_view row : rows) {
        auto* item = new QStandardItem(
            QString::fromUtf8(row.data(), static_cast<qsizetype>(row.size())).trimmed());
        if (IsSeparatorRow(row)) {
            item->setFlags(Qt::NoItemFlags);
            QFont bold = item->font();
            bold.setBold(true);
            item->setFont(bold);
        }
        model->appendRow(item);
    }
    box->setModel(model);
    box->setCurrentIndex(current);
    box->setMaxVisibleItems(20);
    return box;
}

QString yenText(std::int64_t total) {
    return QString::fromUtf8(kYen.data(), static_cast<qsizetype>(kYen.size())) +
           QString::fromStdString(grouped(static_cast<std::int32_t>(total)));
}

} // namespace

TariffPreview::TariffPreview(QWidget* parent)
    : QGroupBox(QStringLiteral("試算（保存前の料金表で）"), parent) {
    setObjectName(QStringLiteral("grpPreview"));
    auto* form = new QFormLayout(this);
    cmbFrom_ = listOf(this, "cmbFrom", PrefectureRows(false), 14);
    cmbTo_ = listOf(this, "cmbTo", PrefectureRows(true), 30);
    cmbWeight_ = listOf(this, "cmbWeight", WeightRows(), 0);
    cmbSize_ = listOf(this, "cmbSize", SizeRows(), 0);
    form->addRow(QStringLiteral("発送地"), cmbFrom_);
    form->addRow(QStringLiteral("届け先"), cmbTo_);
    form->addRow(QStringLiteral("重さ"), cmbWeight_);
    form->addRow(QStringLiteral("サイズ"), cmbSize_);
    auto label = [this](const char* name) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    lblYouCaption_ = label("lblYouCaption");
    lblYouTotal_ = label("lblYouTotal");
    lblCatTotal_ = label("lblCatTotal");
    lblPreviewError_ = label("lblPreviewError");
    lblPreviewError_->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    QFont big = lblYouTotal_->font();
    if (big.pixelSize() > 0)
        big.setPixelSize(big.pixelSize() * 3 / 2);
    else
        big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    for (QLabel* total : {lblYouTotal_, lblCatTotal_}) {
        total->setFont(big);
        total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    form->addRow(lblYouCaption_);
    form->addRow(QStringLiteral("ゆうパック"), lblYouTotal_);
    form->addRow(QStringLiteral("クロネコ"), lblCatTotal_);
    // One letter and one book parcel of a postal weight, so that an edit of
    // their tables shows too; the first row that both price.
    cmbPostalWeight_ = listOf(this, "cmbPostalWeight", PostalWeightRows(), 4);
    form->addRow(QStringLiteral("郵便の重さ"), cmbPostalWeight_);
    lblLetterTotal_ = label("lblLetterTotal");
    lblBookTotal_ = label("lblBookTotal");
    // Cash on delivery on all three, and the remittance fee it costs, so
    // that an edit of 代引料金 or of the remittance fees shows.
    edtAmount_ = new QLineEdit(this);
    edtAmount_->setObjectName(QStringLiteral("edtAmount"));
    edtAmount_->setPlaceholderText(QStringLiteral("なし"));
    edtAmount_->setToolTip(QStringLiteral("代金引換の金額を万円単位で（例: 3万5千円なら 3.5）。"
                                          "空欄なら代金引換なし"));
    edtAmount_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,4}(\\.[0-9]{0,4})?")), edtAmount_));

    cmbRemittance_ = new QComboBox(this);
    cmbRemittance_->setObjectName(QStringLiteral("cmbRemittance"));
    for (int method = 0; method < kRemittanceMethodCount; ++method) {
        const std::string_view name = RemittanceMethodName(method);
        cmbRemittance_->addItem(
            QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    }
    cmbRemittance_->setCurrentIndex(ParcelChoices().remittance);
    lblRemittance_ = label("lblRemittance");
    for (QLabel* total : {lblLetterTotal_, lblBookTotal_, lblRemittance_}) {
        total->setFont(big);
        total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    form->addRow(QStringLiteral("普通郵便"), lblLetterTotal_);
    form->addRow(QStringLiteral("冊子小包"), lblBookTotal_);
    form->addRow(QStringLiteral("代金引換（万円）"), edtAmount_);
    form->addRow(QStringLiteral("送金方法"), cmbRemittance_);
    form->addRow(QStringLiteral("送金手数料"), lblRemittance_);
    form->addRow(lblPreviewError_);
    for (QComboBox* box :
         {cmbFrom_, cmbTo_, cmbWeight_, cmbSize_, cmbPostalWeight_, cmbRemittance_})
        connect(box, &QComboBox::currentIndexChanged, this, &TariffPreview::choicesChanged);
    connect(edtAmount_, &QLineEdit::textChanged, this, &TariffPreview::choicesChanged);
    setMinimumWidth(220);
}

void TariffPreview::price(const IniStore& tariff) {
    ParcelChoices choices;
    choices.fromRow = std::max(cmbFrom_->currentIndex(), 0);
    choices.toRow = cmbTo_->currentIndex();
    choices.weightRow = cmbWeight_->currentIndex();
    choices.sizeRow = cmbSize_->currentIndex();
    const std::string amount = edtAmount_->text().toStdString();
    const bool cashOnDelivery = !edtAmount_->text().isEmpty();
    choices.remittance = cmbRemittance_->currentIndex();
    if (cashOnDelivery) {
        choices.amount = amount;
        choices.options = {ParcelOption::YouDaihiki};
    }
    QStringList errors;
    auto total = [&](const CarrierPrice& price, const QString& carrier) {
        if (!price.handled)
            return QString::fromUtf8(kNotHandledText.data(),
                                     static_cast<qsizetype>(kNotHandledText.size()));
        if (!price.total) {
            // The reason in plain text below, not in the totals' large type.
            errors << QStringLiteral("%1: %2").arg(carrier, QString::fromStdString(price.error));
            return QStringLiteral("—");
        }
        return yenText(*price.total);
    };
    try {
        const ParcelPrices prices = priceParcel(tariff, choices);
        lblYouCaption_->setText(prices.you.quote ? QString::fromStdString(prices.you.quote->Caption)
                                                 : QString());
        lblYouTotal_->setText(total(prices.you, QStringLiteral("ゆうパック")));
        lblCatTotal_->setText(total(prices.kuro, QStringLiteral("クロネコ")));
        lblYouTotal_->setToolTip(prices.you.quote
                                     ? QString::fromStdString(prices.you.quote->Detail).trimmed()
                                     : QString());
        lblCatTotal_->setToolTip(prices.kuro.quote
                                     ? QString::fromStdString(prices.kuro.quote->Detail).trimmed()
                                     : QString());
    } catch (const std::exception& e) {
        lblYouCaption_->clear();
        lblYouTotal_->setText(QStringLiteral("—"));
        lblCatTotal_->setText(QStringLiteral("—"));
        errors << QString::fromUtf8(e.what());
    }
    // The letter and the book parcel through the postal window's rules and
    // calculators, as `hakomaru-quote letter` and `book` price them.
    auto postal = [&](QLabel* shown, const QString& service, auto choices, auto select,
                      auto quote) {
        choices.weightRow = cmbPostalWeight_->currentIndex();
        choices.remittance = cmbRemittance_->currentIndex();
        if (cashOnDelivery) {
            choices.amount = amount;
            choices.options = {decltype(choices.options)::value_type::Daihiki};
        }
        shown->setText(QStringLiteral("—"));
        shown->setToolTip({});
        try {
            const TPostalQuote priced = quote(tariff, select(choices));
            if (priced.State == PostalState::Quoted)
                shown->setText(yenText(priced.Total));
            else if (priced.State == PostalState::NotAvailable)
                shown->setText(QString::fromUtf8(kNotHandledText.data(),
                                                 static_cast<qsizetype>(kNotHandledText.size())));
            shown->setToolTip(QString::fromStdString(priced.Detail).trimmed());
        } catch (const std::exception& e) {
            errors << QStringLiteral("%1: %2").arg(service, QString::fromUtf8(e.what()));
        }
    };
    postal(lblLetterTotal_, QStringLiteral("普通郵便"), LetterChoices(), selectLetterMail,
           QuoteLetterMail);
    postal(lblBookTotal_, QStringLiteral("冊子小包"), BookChoices(), selectBookParcel,
           QuoteBookParcel);
    lblRemittance_->setText(QStringLiteral("—"));
    if (cashOnDelivery) {
        try {
            lblRemittance_->setText(yenText(readRemittanceFee(tariff, choices.remittance, amount)));
        } catch (const std::exception& e) {
            errors << QStringLiteral("送金手数料: %1").arg(QString::fromUtf8(e.what()));
        }
    }
    errors.removeDuplicates();
    lblPreviewError_->setText(errors.join(QLatin1Char('\n')));
    lblPreviewError_->setVisible(!errors.isEmpty());
}

} // namespace hakomaru
