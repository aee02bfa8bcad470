#include "QuotePostal.h"

#include "Catalogues.h"
#include "DetailText.h"
#include "EncodedName.h"
#include "FixedWidthField.h"
#include "IniValues.h"

namespace hakomaru {
namespace {

// Postal weight bands: 1 up to 250 g, 2 from 500 g to 1 kg, 3 from 1.5 kg.
int bandOf(int weightRow) { return weightRow <= 9 ? 1 : weightRow <= 12 ? 2 : 3; }

std::string classKey(int number) { return sjisName("料金") + std::to_string(number); }

// Cash on delivery, shared by both postal kinds: the COD fee of `codSection`
// and the remittance fee of the chosen method for the amount's class.
struct CashOnDelivery {
    std::int32_t codFee;
    std::int32_t remittance;
};

CashOnDelivery cashOnDelivery(const IniStore& tariff, std::string_view codSection,
                              const std::string& amountText, int sokinNo) {
    const int amountClass = amountText.empty() ? 0 : RemittanceAmountClass(amountText);
    const std::int32_t remittance =
        readInteger(tariff, sjisName(RemittanceMethodName(sokinNo)), classKey(amountClass), 0);
    const std::int32_t codFee = readInteger(tariff, sjisName(codSection), sjisName("代引料金"), 250);
    return {codFee, remittance};
}

size_t letterFieldStart(int weightRow) {
    const long long first = 4LL * (static_cast<long long>(weightRow) + 1);
    return first > 0 ? static_cast<size_t>(first) : 0;
}

size_t bookFieldStart(int weightRow) {
    if (weightRow <= 7)
        return 1;
    return static_cast<size_t>(3LL * weightRow - 20);
}

} // namespace

bool LetterMailReadsNothing(int weightRow) { return weightRow == 0 || weightRow == 3; }
bool BookParcelReadsNothing(int weightRow) { return weightRow < 4 || weightRow == 17; }

TPostalQuote QuoteLetterMail(const IniStore& tariff, const TLetterMailRequest& r) {
    TPostalQuote quote;
    if (LetterMailReadsNothing(r.WeightRow)) {
        quote.State = PostalState::NoQuote;
        return quote;
    }
    const std::string& section = sjisName("普通郵便");
    const std::string feeRow =
        readString(tariff, section, sjisName(r.Morning10 ? "翌朝10時" : "料金"));
    std::int32_t total = fieldNumber(feeRow, letterFieldStart(r.WeightRow), 4);
    DetailText detail;
    detail.piece("送料", grouped(total), false);

    const int band = bandOf(r.WeightRow);
    auto option = [&](bool set, std::string_view lead, std::string_view optionSection,
                      const std::string& key, std::int32_t fallback, bool subtract = false) {
        if (!set)
            return;
        const std::int32_t fee = readInteger(tariff, sjisName(optionSection), key, fallback);
        total = subtract ? subYen(total, fee) : addYen(total, fee);
        detail.piece(lead, plain(fee), false);
    };

    if (r.InCity) {
        // The in-city discount exists for the rows up to 250 g only.
        const int w = r.WeightRow;
        if (w == 1 || w == 2 || (w >= 4 && w <= 9)) {
            static constexpr std::int32_t kDefaults[] = {15, 20, 25, 30, 40, 45, 50};
            const int number = (w <= 2) ? 1 : w - 2;
            option(true, " - 市内特別", "市内特別", classKey(number), kDefaults[number - 1], true);
        } else {
            detail.piece(" - 市内特別", plain(0), false);
        }
    }
    option(r.Sokutatsu, " + 速達", "普通速達", classKey(band),
           band == 1 ? 270 : band == 2 ? 370 : 630);
    option(r.Haitatsu, " + 配達記録", "配達記録", sjisName("料金"), 210);
    option(r.Morning10, " + 翌朝10時", "翌朝10時", classKey(band),
           band == 1 ? 330 : band == 2 ? 360 : 390);
    option(r.KaniKakitome, " + 簡易書留", "簡易書留", sjisName("料金"), 350);
    option(r.Kakitome, " + 書留", "書留", sjisName("料金"), 420);
    option(r.Gentei, " + 本人限定", "本人限定", sjisName("料金"), 100);
    if (r.Daihiki) {
        const auto cod = cashOnDelivery(tariff, "普通郵便", r.DaihikiText, r.SokinNo);
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
    if (r.WeightRow < 4) {
        quote.State = PostalState::NoQuote;
        return quote;
    }
    if (r.WeightRow == 17) {
        quote.State = PostalState::NotAvailable;
        return quote;
    }
    const std::string& section = sjisName("冊子小包");
    const std::string feeRow = readString(tariff, section, sjisName("料金"));
    std::int32_t total = fieldNumber(feeRow, bookFieldStart(r.WeightRow), 3);
    DetailText detail;
    detail.piece("送料", plain(total), false);

    auto option = [&](bool set, std::string_view lead, std::string_view key,
                      std::int32_t fallback) {
        if (!set)
            return;
        const std::int32_t fee = readInteger(tariff, section, sjisName(key), fallback);
        total = addYen(total, fee);
        detail.piece(lead, plain(fee), true);
    };
    const bool heavy = r.WeightRow >= 15;
    option(r.Cyaku, " + 着払", "着払い", 20);
    option(r.Sokutatsu, " + 速達", heavy ? "速達2" : "速達1", heavy ? 460 : 310);
    option(r.Shitei, " + 配達日指定", "配達日指定", 50);
    option(r.Kani, " + 簡易書留", "簡易書留", 250);
    option(r.Kakitome, " + 書留", "書留", 360);
    if (r.Daihiki) {
        const auto cod = cashOnDelivery(tariff, "冊子小包", r.DaihikiText, r.SokinNo);
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
