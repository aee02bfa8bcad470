#include "quote/QuotePostal.h"

#include "ini/EncodedName.h"
#include "ini/IniValues.h"
#include "quote/DetailText.h"
#include "tariff/Catalogues.h"
#include "tariff/TariffLayout.h"
#include "tariff/TariffOptions.h"

namespace hakomaru {
namespace {

// Cash on delivery, shared by both postal kinds: the COD fee and the
// remittance fee of the chosen method for the amount's class.
struct CashOnDelivery {
    std::int32_t codFee;
    std::int32_t remittance;
};

CashOnDelivery cashOnDelivery(const IniStore& tariff, const TariffOption& codFee,
                              const std::string& amountText, int sokinNo) {
    const std::int32_t remittance = readRemittanceFee(tariff, sokinNo, amountText);
    return {readOption(tariff, codFee), remittance};
}

} // namespace

TPostalQuote QuoteLetterMail(const IniStore& tariff, const TLetterMailRequest& r) {
    TPostalQuote quote;
    if (LetterMailReadsNothing(r.WeightRow)) {
        quote.State = PostalState::NoQuote;
        return quote;
    }
    const FeeTable& table = tariff::kLetterFees;
    const std::string feeRow =
        readString(tariff, sjisName(table.section), sjisName(table.keys[r.Morning10 ? 1 : 0]));
    std::int32_t total = feeOfRow(table, feeRow, r.WeightRow);
    DetailText detail;
    detail.piece("送料", grouped(total), false);

    const auto band = static_cast<size_t>(letterMailBand(r.WeightRow) - 1);
    auto option = [&](bool set, std::string_view lead, const TariffOption& entry) {
        if (!set)
            return;
        const std::int32_t fee = readOption(tariff, entry);
        total = addYen(total, fee);
        detail.piece(lead, plain(fee), false);
    };

    if (r.InCity) {
        const TariffOption* entry = letterInCityOption(r.WeightRow);
        const std::int32_t discount = entry ? readOption(tariff, *entry) : 0;
        total = subYen(total, discount);
        detail.piece(" - 市内特別", plain(discount), false);
    }
    option(r.Sokutatsu, " + 速達", tariff::kLetterExpress[band]);
    option(r.Haitatsu, " + 配達記録", tariff::kDeliveryRecord);
    option(r.Morning10, " + 翌朝10時", tariff::kMorning10[band]);
    option(r.KaniKakitome, " + 簡易書留", tariff::kSimpleRegistered);
    option(r.Kakitome, " + 書留", tariff::kRegistered);
    option(r.Gentei, " + 本人限定", tariff::kInPerson);
    if (r.Daihiki) {
        const auto cod = cashOnDelivery(tariff, tariff::kLetterCodBase, r.DaihikiText, r.SokinNo);
        total = addYen(total, addYen(cod.remittance, cod.codFee));
        detail.piece(" + 代引手数料", plain(cod.codFee), false);
        detail.piece(" + 送金手数料", grouped(cod.remittance), false);
    }

    quote.State = PostalState::Quoted;
    quote.Total = total;
    quote.Detail = detail.take();
    return quote;
}

TPostalQuote QuoteBookParcel(const IniStore& tariff, const TBookParcelRequest& r) {
    TPostalQuote quote;
    if (r.WeightRow < kFirstNonStandardRow) {
        quote.State = PostalState::NoQuote;
        return quote;
    }
    if (r.WeightRow == kNoBookParcelRow) {
        quote.State = PostalState::NotAvailable;
        return quote;
    }
    const FeeTable& table = tariff::kBookFees;
    const std::string feeRow = readString(tariff, sjisName(table.section), sjisName(table.keys[0]));
    std::int32_t total = feeOfRow(table, feeRow, r.WeightRow);
    DetailText detail;
    detail.piece("送料", plain(total), false);

    auto option = [&](bool set, std::string_view lead, const TariffOption& entry) {
        if (!set)
            return;
        const std::int32_t fee = readOption(tariff, entry);
        total = addYen(total, fee);
        detail.piece(lead, plain(fee), true);
    };
    option(r.Cyaku, " + 着払", tariff::kBookCarriageForward);
    option(r.Sokutatsu, " + 速達", bookExpressOption(r.WeightRow));
    option(r.Shitei, " + 配達日指定", tariff::kBookDateRequest);
    option(r.Kani, " + 簡易書留", tariff::kBookSimpleRegistered);
    option(r.Kakitome, " + 書留", tariff::kBookRegistered);
    if (r.Daihiki) {
        const auto cod = cashOnDelivery(tariff, tariff::kBookCodBase, r.DaihikiText, r.SokinNo);
        total = addYen(total, addYen(cod.remittance, cod.codFee));
        detail.piece(" + 代引手数料", plain(cod.codFee), true);
        detail.piece(" + 送金手数料", grouped(cod.remittance), true);
    }

    quote.State = PostalState::Quoted;
    quote.Total = total;
    quote.Detail = detail.take();
    return quote;
}

} // namespace hakomaru
