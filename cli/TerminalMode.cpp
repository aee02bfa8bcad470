#include "TerminalMode.h"

#include "Catalogues.h"
#include "ConversionError.h"
#include "NumberText.h"
#include "QuoteCat.h"
#include "QuotePostal.h"
#include "QuoteYoupack.h"
#include "Sjis.h"

#include <optional>
#include <ostream>

namespace hakomaru::cli {
namespace {

constexpr std::string_view kNotHandled = "取扱不可";
constexpr std::string_view kProgram = "hakomaru-quote: ";

std::string yen(std::int32_t amount) {
    return std::string(kYen) + grouped(amount);
}

// The difference of two totals can exceed 32 bits.
std::string yenDifference(std::int64_t a, std::int64_t b) {
    std::string digits = std::to_string(a > b ? a - b : b - a);
    for (size_t i = digits.size(); i > 3; i -= 3)
        digits.insert(i - 3, ",");
    return std::string(kYen) + digits;
}

std::string_view trimmed(std::string_view caption) {
    const size_t begin = caption.find_first_not_of(' ');
    return begin == caption.npos ? std::string_view{} : caption.substr(begin);
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
    return std::string(trimmed(rows[static_cast<size_t>(weightRow)]));
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

int printParcelComparison(const IniStore& tariff, const TYoupackRequest& youpack,
                          const TCatRequest& cat, std::ostream& out, std::ostream& err) {
    const auto destinations = PrefectureRows(true);
    out << youpack.FromCaption << " → " << destinations[static_cast<size_t>(cat.ToRow)] << " / "
        << trimmed(WeightRows()[static_cast<size_t>(cat.WeightRow)]) << " / "
        << trimmed(SizeRows()[static_cast<size_t>(cat.SizeRow)]) << "\n\n";

    const auto you = tryQuote("ゆうパック", err, [&] { return QuoteYoupack(tariff, youpack); });
    const auto kuro = tryQuote("クロネコ", err, [&] { return QuoteCat(tariff, cat); });

    // The caption names the zone even when the fee cannot be read.
    out << (you ? you->Caption : YoupackCaption(tariff, youpack.FromCaption, youpack.ToRow))
        << ": ";
    if (you) {
        out << yen(you->Total) << '\n';
        printPieces(out, you->Detail);
    } else {
        out << "計算できません\n";
    }
    out << "クロネコ: ";
    if (!kuro)
        out << "計算できません\n";
    else if (kuro->NotHandled)
        out << kNotHandled << '\n';
    else {
        out << yen(kuro->Total) << '\n';
        printPieces(out, kuro->Detail);
    }

    out << '\n';
    if (you && kuro && kuro->NotHandled) {
        out << "クロネコは取扱不可です\n";
    } else if (you && kuro) {
        if (you->Total == kuro->Total)
            out << "どちらも同じ料金です\n";
        else
            out << (you->Total < kuro->Total ? "ゆうパック" : "クロネコ") << "のほうが "
                << yenDifference(you->Total, kuro->Total) << " 安い\n";
    }
    return you && kuro ? 0 : 1;
}

int printLetterMail(const IniStore& tariff, const TLetterMailRequest& request, std::ostream& out,
                    std::ostream& err) {
    try {
        const TPostalQuote quote = QuoteLetterMail(tariff, request);
        // Rows 0 and 3 are the headings "定形" and "定形外・冊子小包" themselves.
        const int row = request.WeightRow;
        const std::string_view size = (row == 1 || row == 2) ? "定形 " : row > 3 ? "定形外 " : "";
        printPostal(out, "普通郵便 " + std::string(size) + postalWeightTitle(row), quote);
        return 0;
    } catch (const ConversionError& error) {
        err << kProgram << "普通郵便: " << error.what() << '\n';
        return 1;
    }
}

int printBookParcel(const IniStore& tariff, const TBookParcelRequest& request, std::ostream& out,
                    std::ostream& err) {
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
