#include "TerminalMode.h"

#include "quote/QuoteCat.h"
#include "quote/QuotePostal.h"
#include "quote/QuoteYoupack.h"
#include "selection/ParcelPricing.h"
#include "tariff/Catalogues.h"
#include "text/ConversionError.h"
#include "text/NumberText.h"
#include "text/Sjis.h"
#include "text/Trim.h"

#include <optional>
#include <ostream>

namespace hakomaru::cli {
namespace {

constexpr std::string_view kNotHandled = kNotHandledText;
constexpr std::string_view kProgram = "hakomaru-quote: ";

std::string yen(std::int32_t amount) {
    return std::string(kYen) + grouped(amount);
}

// Totals for several parcels, and their difference, can exceed 32 bits.
std::string yenWide(std::int64_t amount) {
    std::string digits = std::to_string(amount < 0 ? -amount : amount);
    for (size_t i = digits.size(); i > 3; i -= 3)
        digits.insert(i - 3, ",");
    return std::string(kYen) + (amount < 0 ? "-" : "") + digits;
}

void printPieces(std::ostream& out, std::string_view detail) {
    for (const std::string& piece : detailPieces(detail))
        out << "    " << piece << '\n';
}

// A parcel quote, or nothing when it failed; the failure is reported.
template <typename Quote>
std::optional<TParcelQuote> tryQuote(std::string_view carrier, std::ostream& err, Quote quote) {
    try {
        return quote();
    } catch (const ConversionError& error) {
        err << kProgram << carrier << ": " << error.what() << '\n';
        return std::nullopt;
    }
}

void printPostal(std::ostream& out, std::string_view title, const TPostalQuote& quote) {
    out << title << ": ";
    switch (quote.State) {
    case PostalState::Quoted:
        out << yen(quote.Total) << '\n';
        printPieces(out, quote.Detail);
        break;
    case PostalState::NoQuote:
        out << yen(0) << "（この行には料金がありません）\n";
        break;
    case PostalState::NotAvailable:
        out << kNotHandled << '\n';
        break;
    }
}

std::string postalWeightTitle(int weightRow) {
    const auto rows = PostalWeightRows();
    if (weightRow < 0 || static_cast<size_t>(weightRow) >= rows.size())
        return {};
    return std::string(trimLeadingSpaces(rows[static_cast<size_t>(weightRow)]));
}

} // namespace

std::vector<std::string> detailPieces(std::string_view detail) {
    std::vector<std::string> pieces;
    std::string current;
    auto finish = [&] {
        if (!current.empty())
            pieces.push_back(std::move(current));
        current.clear();
    };
    for (size_t i = 0; i < detail.size();) {
        const std::string_view rest = detail.substr(i);
        if (rest.starts_with("\r\n") || rest[0] == '\n') {
            finish();
            i += rest[0] == '\r' ? 2 : 1;
            continue;
        }
        if (rest.starts_with(" + ") || rest.starts_with(" - "))
            finish();
        current += rest[0];
        ++i;
    }
    finish();
    return pieces;
}

int printParcelComparison(const IniStore& tariff, const ParcelChoices& choices, std::ostream& out,
                          std::ostream& err) {
    ParcelPrices p;
    try {
        p = priceParcel(tariff, choices);
    } catch (const SelectionRefused& refused) {
        err << kProgram << refused.what() << '\n';
        return 2;
    } catch (const ConversionError& error) {
        err << kProgram << error.what() << '\n';
        return 2;
    }
    const TYoupackRequest& youpack = p.youpack;
    const TCatRequest& cat = p.cat;
    const auto destinations = PrefectureRows(true);
    out << youpack.FromCaption << " → " << destinations[static_cast<size_t>(cat.ToRow)] << " / "
        << trimLeadingSpaces(WeightRows()[static_cast<size_t>(cat.WeightRow)]) << " / "
        << trimLeadingSpaces(SizeRows()[static_cast<size_t>(cat.SizeRow)]);
    if (p.parcels > 1)
        out << " / " << p.parcels << " 個";
    out << "\n\n";

    auto printCarrier = [&](std::string_view carrier, const CarrierPrice& price) {
        if (!price.handled) {
            out << kNotHandled << '\n';
        } else if (!price.quote) {
            err << kProgram << carrier << ": " << price.error << '\n';
            out << "計算できません\n";
        } else {
            out << yenWide(*price.total);
            if (p.parcels > 1)
                out << "（" << p.parcels << " 個分）";
            out << '\n';
            printPieces(out, price.quote->Detail);
        }
    };
    // The caption names the zone even when the fee cannot be read.
    out << (p.you.quote ? p.you.quote->Caption
                        : YoupackCaption(tariff, youpack.FromCaption, youpack.ToRow))
        << ": ";
    printCarrier("ゆうパック", p.you);
    out << "クロネコ: ";
    printCarrier("クロネコ", p.kuro);

    out << '\n';
    if (const auto comparison = p.comparison()) {
        if (comparison->cheaper == Cheaper::Same)
            out << "どちらも同じ料金です\n";
        else
            out << (comparison->cheaper == Cheaper::Youpack ? "ゆうパック" : "クロネコ")
                << "のほうが " << yenWide(comparison->difference) << " 安い\n";
    } else if (p.you.total && !p.kuro.handled) {
        out << "クロネコは取扱不可です\n";
    } else if (p.kuro.total && !p.you.handled) {
        out << "ゆうパックは取扱不可です\n";
    }
    const bool failed = (p.you.handled && !p.you.quote) || (p.kuro.handled && !p.kuro.quote);
    return failed ? 1 : 0;
}

int printLetterMail(const IniStore& tariff, const LetterChoices& choices, std::ostream& out,
                    std::ostream& err) {
    TLetterMailRequest request;
    try {
        request = selectLetterMail(choices);
    } catch (const std::runtime_error& refused) {
        err << kProgram << refused.what() << '\n';
        return 2;
    }
    try {
        const TPostalQuote quote = QuoteLetterMail(tariff, request);
        // The headings "定形" and "定形外・冊子小包" name no size of their own.
        const int row = request.WeightRow;
        const std::string_view size = IsStandardSizeRow(row)         ? "定形 "
                                      : row > kNonStandardHeadingRow ? "定形外 "
                                                                     : "";
        printPostal(out, "普通郵便 " + std::string(size) + postalWeightTitle(row), quote);
        return 0;
    } catch (const ConversionError& error) {
        err << kProgram << "普通郵便: " << error.what() << '\n';
        return 1;
    }
}

int printBookParcel(const IniStore& tariff, const BookChoices& choices, std::ostream& out,
                    std::ostream& err) {
    TBookParcelRequest request;
    try {
        request = selectBookParcel(choices);
    } catch (const std::runtime_error& refused) {
        err << kProgram << refused.what() << '\n';
        return 2;
    }
    try {
        const TPostalQuote quote = QuoteBookParcel(tariff, request);
        printPostal(out, "冊子小包 " + postalWeightTitle(request.WeightRow), quote);
        return 0;
    } catch (const ConversionError& error) {
        err << kProgram << "冊子小包: " << error.what() << '\n';
        return 1;
    }
}

} // namespace hakomaru::cli
