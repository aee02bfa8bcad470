#include "CsvCompare.h"

#include "JsonText.h"
#include "Selections.h"
#include "UsageError.h"
#include "selection/ParcelPricing.h"
#include "tariff/Catalogues.h"
#include "text/ConversionError.h"
#include "text/Sjis.h"
#include "text/Trim.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <istream>
#include <optional>
#include <ostream>
#include <sstream>
#include <utility>

#include <sys/stat.h>

namespace hakomaru::cli {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr size_t kInputColumns = 6;

constexpr std::array<std::string_view, 14> kOutputColumns{
    "行",       "発送地",     "届け先",     "重さ",     "サイズ",   "代引金額", "オプション",
    "重さ区分", "サイズ区分", "ゆうパック", "クロネコ", "安いほう", "差額",     "エラー"};

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// A text cell. A spreadsheet takes a cell that starts with "=", "+", "-" or
// "@" as a formula; echoed input must stay text, so such a cell gets a
// leading apostrophe.
std::string textCell(std::string_view text) {
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos)
        return csvField("'" + std::string(text));
    return csvField(text);
}

// A row's choices: the rows, the amount and its options in the order given.
using ParcelRow = ParcelChoices;

struct OptionName {
    std::vector<std::string_view> names;
    std::vector<ParcelOption> options;
};

const std::vector<OptionName>& optionTable() {
    using P = ParcelOption;
    static const std::vector<OptionName> table{
        {{"着払", "着払い", "送料着払い", "you-cyaku"}, {P::YouCyaku}},
        {{"速達", "you-sokutatsu"}, {P::YouSokutatsu}},
        {{"配達日指定", "you-shitei"}, {P::YouShitei}},
        {{"書留", "kakitome"}, {P::Kakitome}},
        {{"チルド", "cild"}, {P::YouCild}},
        {{"代金引換", "代引"}, {P::YouDaihiki, P::CatDaihiki}},
        {{"you-daihiki"}, {P::YouDaihiki}},
        {{"cat-daihiki"}, {P::CatDaihiki}},
        {{"自宅", "引取", "自宅や会社で荷物を渡す", "cat-home"}, {P::CatHome}},
        {{"タイムサービス", "cat-time"}, {P::CatTime}},
        {{"クール", "cat-cool"}, {P::CatCool}},
    };
    return table;
}

// Splits the options cell at blanks, "・", "、", "+", "|" and ",".
std::vector<std::string_view> optionTokens(std::string_view cell) {
    static constexpr std::array<std::string_view, 9> kSeparators{
        " ", "\t", "\u3000", "\u30FB", "\u3001", "+", "|", ",", "\uFF0B"};
    std::vector<std::string_view> tokens;
    size_t start = 0;
    for (size_t i = 0; i <= cell.size();) {
        size_t separator = 0;
        if (i < cell.size())
            for (std::string_view s : kSeparators)
                if (cell.substr(i).starts_with(s))
                    separator = s.size();
        if (i == cell.size() || separator > 0) {
            if (i > start)
                tokens.push_back(cell.substr(start, i - start));
            if (i == cell.size())
                break;
            i += separator;
            start = i;
        } else {
            ++i;
        }
    }
    return tokens;
}

void applyOption(ParcelRow& row, std::string_view token) {
    for (std::string_view prefix : {"複数口", "fukusu"}) {
        if (!token.starts_with(prefix))
            continue;
        std::string_view count = token.substr(prefix.size());
        for (std::string_view mark : {"=", ":", "\uFF1D", "\uFF1A"})
            if (count.starts_with(mark))
                count.remove_prefix(mark.size());
        if (count.empty())
            throw UsageError("複数口 には個数を付けてください（例: 複数口=3）");
        row.options.push_back(ParcelOption::CatFukusu);
        row.parcelCount = parcelCountOf(count);
        return;
    }
    for (const OptionName& option : optionTable())
        for (std::string_view name : option.names)
            if (token == name) {
                row.options.insert(row.options.end(), option.options.begin(), option.options.end());
                return;
            }
    throw UsageError("不明なオプション " + quoted(token) + " です");
}

ParcelRow parcelRowOf(const std::vector<std::string>& fields, const CompareSettings& settings) {
    auto field = [&](size_t i) {
        return i < fields.size() ? trimSpacesTabsAndFullWidthSpaces(fields[i]) : std::string_view{};
    };
    for (size_t i = kInputColumns; i < fields.size(); ++i)
        if (!trimSpacesTabsAndFullWidthSpaces(fields[i]).empty())
            throw UsageError("列が多すぎます（" + std::to_string(kInputColumns) + " 列まで）");
    ParcelRow row;
    row.fromRow = sendingRowOf(field(0));
    row.toRow = destinationRowOf(field(1));
    row.weightRow = parcelWeightRowOf(field(2));
    row.sizeRow = sizeRowOf(field(3));
    row.amount = field(4).empty() ? std::string() : codAmountOf(field(4));
    for (std::string_view token : optionTokens(field(5)))
        applyOption(row, token);
    row.remittance = settings.remittance;
    return row;
}

bool isHeader(const CsvRecord& record) {
    if (record.fields.empty())
        return false;
    std::string first(trimSpacesTabsAndFullWidthSpaces(record.fields[0]));
    for (char& c : first)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return first == "発送地" || first == "from";
}

// The cells of one output line after the echoed input: both carriers as
// the main window would price the same selections, for the same number of
// parcels. Throws SelectionRefused for selections the window would refuse.
std::vector<std::string> pricedCells(const IniStore& tariff, const ParcelRow& row,
                                     std::string& error) {
    const ParcelPrices p = priceParcel(tariff, row);
    std::vector<std::string> cells;
    cells.push_back(textCell(trimLeadingSpaces(WeightRows()[static_cast<size_t>(row.weightRow)])));
    cells.push_back(textCell(trimLeadingSpaces(SizeRows()[static_cast<size_t>(row.sizeRow)])));
    auto priceCell = [&](std::string_view carrier, const CarrierPrice& price) {
        if (!price.handled)
            return textCell(kNotHandledText);
        if (!price.total) {
            error += (error.empty() ? "" : "; ") + std::string(carrier) + ": " + price.error;
            return std::string();
        }
        return std::to_string(*price.total);
    };
    cells.push_back(priceCell("ゆうパック", p.you));
    cells.push_back(priceCell("クロネコ", p.kuro));
    if (const auto comparison = p.comparison()) {
        cells.push_back(textCell(comparison->cheaper == Cheaper::Youpack ? "ゆうパック"
                                 : comparison->cheaper == Cheaper::Cat   ? "クロネコ"
                                                                         : "同額"));
        cells.push_back(std::to_string(comparison->difference));
    } else if (p.you.total && !p.kuro.handled) {
        cells.push_back(textCell("ゆうパック"));
        cells.push_back("");
    } else if (p.kuro.total && !p.you.handled) {
        cells.push_back(textCell("クロネコ"));
        cells.push_back("");
    } else {
        cells.push_back("");
        cells.push_back("");
    }
    return cells;
}

} // namespace

CsvReader::CsvReader(std::istream& in) : in_(*in.rdbuf()) {}

int CsvReader::peek() {
    return in_.sgetc();
}

int CsvReader::take() {
    return in_.sbumpc();
}

std::optional<CsvRecord> CsvReader::next() {
    constexpr int kEnd = std::char_traits<char>::eof();
    for (;;) {
        // The LF of a CR LF that ended the last record: looked for only now,
        // so that the last record did not wait for it.
        if (std::exchange(afterCr_, false) && peek() == '\n')
            take();
        if (peek() == kEnd)
            return std::nullopt;
        CsvRecord record;
        record.line = line_;
        std::string field;
        size_t fieldLength = 0; // bytes the field has, kept or not
        size_t bytes = 0;       // bytes the record has so far
        bool quotedField = false;
        // Counts one byte of the record; past the limit its fields are
        // given up and nothing more is kept.
        auto count = [&] {
            if (++bytes > kMaxRecordBytes && !record.tooLong) {
                record.tooLong = true;
                record.fields = {};
                field = {};
            }
        };
        auto keep = [&](char c) {
            ++fieldLength;
            if (!record.tooLong)
                field += c;
        };
        for (;;) {
            const int c = take();
            if (c == kEnd)
                break;
            if (!quotedField && (c == '\r' || c == '\n')) {
                afterCr_ = c == '\r';
                ++line_;
                break;
            }
            count();
            if (quotedField) {
                if (c == '"' && peek() == '"') {
                    take();
                    count();
                    keep('"');
                } else if (c == '"') {
                    quotedField = false;
                } else {
                    if (c == '\n' || (c == '\r' && peek() != '\n'))
                        ++line_;
                    keep(static_cast<char>(c));
                }
            } else if (c == '"' && fieldLength == 0) {
                quotedField = true;
            } else if (c == ',') {
                if (!record.tooLong)
                    record.fields.push_back(std::move(field));
                field.clear();
                fieldLength = 0;
            } else {
                // A quote inside an unquoted field is taken as it is.
                keep(static_cast<char>(c));
            }
        }
        record.unterminated = quotedField;
        if (!record.tooLong)
            record.fields.push_back(std::move(field));
        const bool blank = record.fields.size() == 1 &&
                           trimSpacesTabsAndFullWidthSpaces(record.fields[0]).empty() &&
                           !record.unterminated;
        if (!blank)
            return record;
    }
}

std::vector<CsvRecord> parseCsv(std::string_view text) {
    std::istringstream in{std::string(text)};
    CsvReader reader(in);
    std::vector<CsvRecord> records;
    while (auto record = reader.next())
        records.push_back(std::move(*record));
    return records;
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

bool flushEachRowTo(std::optional<unsigned> outputMode) {
    // Unknown: at once, the safe side for a reader that waits.
    return !outputMode || !S_ISREG(*outputMode);
}

std::string_view optionNames() {
    return "着払 速達 配達日指定 書留 チルド (ゆうパック), 自宅 タイムサービス クール 複数口=N "
           "(クロネコ), 代金引換 (両方)";
}

namespace {

// The input's encoding, decided by a byte order mark or by the first
// record that is not plain ASCII.
class InputDecoder {
  public:
    // The record's fields in UTF-8, or the reason it cannot be read.
    std::optional<std::string> decode(CsvRecord& record) {
        // Spreadsheet programs save UTF-8 with a byte order mark, or Shift-JIS.
        if (std::exchange(first_, false) && !record.fields.empty() &&
            record.fields[0].starts_with(kBom)) {
            record.fields[0].erase(0, kBom.size());
            encoding_ = Encoding::Utf8;
        }
        const bool guessing = encoding_ == Encoding::Unknown;
        for (std::string& field : record.fields) {
            if (isAscii(field))
                continue;
            if (encoding_ == Encoding::Unknown)
                encoding_ = isWellFormedUtf8(field) ? Encoding::Utf8 : Encoding::Sjis;
            const Encoding tried = encoding_;
            if (tried == Encoding::Utf8 ? isWellFormedUtf8(field) : decodeSjis(field))
                continue;
            // A line that is read in neither decides nothing: the next line
            // that is not plain ASCII does.
            if (guessing)
                encoding_ = Encoding::Unknown;
            return refusal(record.line, tried == Encoding::Utf8 ? "UTF-8"
                                        : guessing              ? "UTF-8 としても Shift-JIS"
                                                                : "Shift-JIS");
        }
        return std::nullopt;
    }

  private:
    enum class Encoding { Unknown, Utf8, Sjis };
    static constexpr std::string_view kReplacement = "\uFFFD";
    Encoding encoding_ = Encoding::Unknown;
    bool first_ = true;

    static bool isAscii(std::string_view text) {
        return firstNonAsciiByte(text) == std::string_view::npos;
    }
    // The field in UTF-8, or false when it is not Shift-JIS.
    static bool decodeSjis(std::string& field) {
        std::string decoded = fromSjis(field);
        if (decoded.find(kReplacement) != std::string::npos)
            return false;
        field = std::move(decoded);
        return true;
    }
    static std::string refusal(size_t line, std::string_view encoding) {
        return std::to_string(line) + " 行目が " + std::string(encoding) +
               " として読めません。ファイル全体を UTF-8 か Shift-JIS で保存し直してください";
    }
};

void writeCells(std::ostream& out, const std::vector<std::string>& cells) {
    std::string line;
    for (size_t i = 0; i < cells.size(); ++i)
        line += (i ? "," : "") + cells[i];
    line += "\r\n";
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
}

} // namespace

int runCsvComparison(const IniStore& tariff, std::istream& in, std::ostream& out,
                     const CompareSettings& settings) {
    if (settings.bom)
        out << kBom;
    for (size_t i = 0; i < kOutputColumns.size(); ++i)
        out << (i ? "," : "") << kOutputColumns[i];
    out << "\r\n";
    if (settings.flushEachRow)
        out.flush();

    InputDecoder decoder;
    bool allPriced = true;
    bool first = true;
    CsvReader reader(in);
    while (auto next = reader.next()) {
        CsvRecord& record = *next;
        if (const auto refused = decoder.decode(record)) {
            // The encoding is decided once for the whole input, so the next
            // line is read as ever: this one gets its error row.
            std::vector<std::string> cells(kOutputColumns.size() - 1);
            cells[0] = std::to_string(record.line);
            cells.push_back(textCell(*refused));
            writeCells(out, cells);
            allPriced = false;
            if (settings.flushEachRow)
                out.flush();
            if (!out)
                break;
            continue;
        }
        if (record.fields.size() == 1 && trimSpacesTabsAndFullWidthSpaces(record.fields[0]).empty())
            continue; // a byte order mark alone
        if (std::exchange(first, false) && isHeader(record))
            continue;
        std::vector<std::string> cells{std::to_string(record.line)};
        for (size_t i = 0; i < kInputColumns; ++i)
            cells.push_back(textCell(i < record.fields.size() ? record.fields[i] : ""));
        std::string error;
        try {
            if (record.tooLong)
                throw UsageError("行が長すぎます（" + std::to_string(kMaxRecordBytes / 1024) +
                                 " KiB まで）");
            if (record.unterminated)
                throw UsageError("引用符 \" が閉じていません");
            const ParcelRow row = parcelRowOf(record.fields, settings);
            for (std::string& cell : pricedCells(tariff, row, error))
                cells.push_back(std::move(cell));
        } catch (const std::runtime_error& e) {
            // A bad cell, a selection the window refuses, an amount that is not a number.
            error = e.what();
            cells.resize(kOutputColumns.size() - 1);
        }
        cells.push_back(textCell(error));
        allPriced = allPriced && error.empty();
        writeCells(out, cells);
        if (settings.flushEachRow)
            out.flush();
        if (!out)
            break;
    }
    out.flush();
    return allPriced && out ? 0 : 1;
}

int runCsvComparison(const IniStore& tariff, std::string_view input, std::ostream& out,
                     const CompareSettings& settings) {
    std::istringstream in{std::string(input)};
    return runCsvComparison(tariff, in, out, settings);
}

} // namespace hakomaru::cli
