#include "Selections.h"

#include "UsageError.h"
#include "quote/QuoteCat.h"
#include "selection/ParcelRules.h"
#include "quote/QuotePostal.h"
#include "tariff/Catalogues.h"
#include "text/Trim.h"

#include <algorithm>
#include <charconv>
#include <iomanip>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace hakomaru::cli {
namespace {

bool dropSuffix(std::string_view& text, std::string_view suffix) {
    if (!text.ends_with(suffix))
        return false;
    text.remove_suffix(suffix.size());
    return true;
}

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// The suffix of a prefecture's full name: "" for 北海道 and 同一市内.
std::string_view prefectureSuffix(std::string_view caption) {
    if (caption == "東京")
        return "都";
    if (caption == "大阪" || caption == "京都")
        return "府";
    if (caption == "北海道" || caption == "同一市内")
        return "";
    return "県";
}

int prefectureRowOf(std::string_view name, bool destinationList, std::string_view what) {
    const auto rows = PrefectureRows(destinationList);
    auto find = [&](std::string_view caption) -> std::optional<int> {
        for (size_t row = 0; row < rows.size(); ++row)
            if (rows[row] == caption && !IsSeparatorRow(rows[row]))
                return static_cast<int>(row);
        return std::nullopt;
    };
    const std::string_view trimmed = trimSpacesAndTabs(name);
    if (auto row = find(trimmed))
        return *row;
    // "東京都", "大阪府", "神奈川県": the lists name prefectures without the
    // suffix, and each prefecture has its own.
    for (std::string_view suffix : {"都", "府", "県"}) {
        std::string_view bare = trimmed;
        if (dropSuffix(bare, suffix))
            if (auto row = find(bare); row && suffix == prefectureSuffix(bare))
                return *row;
    }
    throw UsageError(std::string(what) + " " + quoted(name) + " は都道府県名ではありません" +
                     (destinationList ? "（「同一市内」も選べます）" : ""));
}

enum class Measure { Weight, Size };

// A weight in grams or a size in centimetres, from a caption (" 2kg以下") or
// from what a person typed ("2kg", "1.5", "500g"); a bare number is in
// `bareUnit` grams (weights) or centimetres (sizes). Only digits and one
// decimal point are read: no sign, no exponent.
std::optional<double> quantityOf(std::string_view text, Measure measure, double bareUnit) {
    text = trimSpacesAndTabs(text);
    if (dropSuffix(text, "以下"))
        text = trimSpacesAndTabs(text);
    double unit = bareUnit;
    if (measure == Measure::Weight) {
        if (dropSuffix(text, "kg"))
            unit = 1000;
        else if (dropSuffix(text, "g"))
            unit = 1;
    } else if (dropSuffix(text, "cm")) {
        unit = 1;
    }
    text = trimSpacesAndTabs(text);
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string_view::npos ||
        text.find_first_of("0123456789") == std::string_view::npos)
        return std::nullopt;
    double value = 0;
    auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value * unit;
}

// The first of `rows` (in ascending order of their limits) whose caption's
// limit holds the typed quantity.
int smallestRowHolding(std::span<const std::string_view> captions, const std::vector<int>& rows,
                       std::string_view text, Measure measure, double bareUnit,
                       std::string_view what, std::string_view example) {
    const auto value = quantityOf(text, measure, bareUnit);
    if (!value)
        throw UsageError(std::string(what) + " " + quoted(text) +
                         " が読めません（例: " + std::string(example) + "）");
    if (*value > 0) {
        for (int row : rows) {
            const double limit = quantityOf(captions[static_cast<size_t>(row)], measure, 1).value();
            // Typed decimals such as 0.1kg are not exact in binary.
            if (*value <= limit * (1 + 1e-9))
                return row;
        }
    }
    const std::string_view largest = trimLeadingSpaces(captions[static_cast<size_t>(rows.back())]);
    throw UsageError(std::string(what) + " " + quoted(text) + " は範囲外です（" +
                     std::string(largest) + "まで）");
}

std::vector<int> rowRange(int first, int last) {
    std::vector<int> rows;
    for (int row = first; row <= last; ++row)
        rows.push_back(row);
    return rows;
}

} // namespace

int sendingRowOf(std::string_view name) {
    return prefectureRowOf(name, false, "発送地");
}

int destinationRowOf(std::string_view name) {
    return prefectureRowOf(name, true, "届け先");
}

int parcelWeightRowOf(std::string_view text) {
    const auto captions = WeightRows();
    return smallestRowHolding(captions, rowRange(0, static_cast<int>(captions.size()) - 1), text,
                              Measure::Weight, 1000, "重さ", "2kg, 3.5kg, 800g");
}

int sizeRowOf(std::string_view text) {
    const auto captions = SizeRows();
    return smallestRowHolding(captions, rowRange(0, static_cast<int>(captions.size()) - 1), text,
                              Measure::Size, 1, "サイズ", "60cm, 75");
}

int postalWeightRowOf(std::string_view text, bool standardSize) {
    // The headings are no weights.
    const auto captions = PostalWeightRows();
    const std::vector<int> rows =
        standardSize ? rowRange(kFirstStandardSizeRow, kLastStandardSizeRow)
                     : rowRange(kFirstNonStandardRow, static_cast<int>(captions.size()) - 1);
    return smallestRowHolding(captions, rows, text, Measure::Weight, 1, "重さ", "80g, 1.2kg, 250");
}

std::string codAmountOf(std::string_view text) {
    const bool ok = !text.empty() && text.size() <= kAmountTextLength &&
                    text.find_first_not_of("0123456789.") == text.npos &&
                    text.find_first_of("0123456789") != text.npos &&
                    std::count(text.begin(), text.end(), '.') <= 1;
    if (!ok)
        throw UsageError("代引金額 " + quoted(text) +
                         " は万円単位の数で指定してください（例: 3, 2.5。" +
                         std::to_string(kAmountTextLength) + "文字まで）");
    return std::string(text);
}

std::string parcelCountOf(std::string_view text) {
    const bool ok = !text.empty() && text.size() <= kParcelCountTextLength &&
                    text.find_first_not_of("0123456789") == text.npos &&
                    text.find_first_not_of('0') != text.npos;
    if (!ok)
        throw UsageError("個数 " + quoted(text) + " は 1 から " + std::to_string(kMaxParcelCount) +
                         " の整数で指定してください");
    return std::string(text);
}

int rowNumberOf(std::string_view text, int rowCount, std::string_view what) {
    const std::string_view digits = trimSpacesAndTabs(text);
    int row = -1;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), row);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || row < 0 ||
        row >= rowCount)
        throw UsageError(std::string(what) + "の行番号 " + quoted(text) + " は範囲外です（0 から " +
                         std::to_string(rowCount - 1) + " まで）");
    return row;
}

namespace {

// One list: a title line, then each row as its number and caption, with a
// note where the row is not an ordinary choice.
template <typename Note>
void printList(std::ostream& out, std::string_view title, std::span<const std::string_view> rows,
               Note note) {
    out << title << '\n';
    for (size_t row = 0; row < rows.size(); ++row) {
        out << std::setw(4) << row << "  " << rows[row];
        if (const std::string text = note(static_cast<int>(row), rows[row]); !text.empty())
            out << "  (" << text << ')';
        out << '\n';
    }
    out << '\n';
}

} // namespace

void printSelectionRows(std::ostream& out) {
    const auto none = [](int, std::string_view) { return std::string(); };
    printList(out,
              "都道府県 (prefectures): cat の FromRow と ToRow、youpack の ToRow。"
              "youpack の FromCaption は名前 (\"東京\")",
              PrefectureRows(true), [](int row, std::string_view caption) {
                  std::string note;
                  if (IsSeparatorRow(caption))
                      note = "区切り separator";
                  if (row >= kSendingRowCount)
                      note += std::string(note.empty() ? "" : ", ") + "届け先のみ ToRow only";
                  return note;
              });
    printList(out, "重さ (weights): youpack と cat の WeightRow、--weight-row", WeightRows(), none);
    printList(out, "サイズ (sizes): cat の SizeRow、--size-row", SizeRows(), none);
    printList(out, "郵便の重さ (postal weights): letter と book の WeightRow、--weight-row",
              PostalWeightRows(), [](int row, std::string_view) {
                  // What each kind makes of the row, asked of the calculators
                  // themselves for the rows they price without the tariff.
                  const IniStore empty;
                  TBookParcelRequest book;
                  book.WeightRow = row;
                  std::string note;
                  auto add = [&note](std::string_view text) {
                      note += std::string(note.empty() ? "" : ", ") + std::string(text);
                  };
                  if (!LetterMailReadsNothing(row))
                      add("letter");
                  if (!BookParcelReadsNothing(row))
                      add("book");
                  else if (!LetterMailReadsNothing(row) &&
                           QuoteBookParcel(empty, book).State == PostalState::NotAvailable)
                      add("book は取扱不可 not handled");
                  return note.empty() ? std::string("見出し heading: 料金なし no quote") : note;
              });
    std::vector<std::string_view> methods;
    for (int method = 0; !RemittanceMethodName(method).empty(); ++method)
        methods.push_back(RemittanceMethodName(method));
    printList(out, "送金方法 (remittance methods): SokinNo、--sokin (既定 default 8)", methods,
              none);
}

} // namespace hakomaru::cli
