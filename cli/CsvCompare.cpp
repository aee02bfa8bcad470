#include "CsvCompare.h"

#include "Catalogues.h"
#include "ConversionError.h"
#include "JsonText.h"
#include "ParcelQuote.h"
#include "QuoteCat.h"
#include "QuoteYoupack.h"
#include "Selections.h"
#include "Sjis.h"
#include "UsageError.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>

namespace hakomaru::cli {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr size_t kInputColumns = 6;

constexpr std::array<std::string_view, 14> kOutputColumns{
    "行",       "発送地",     "届け先",     "重さ",     "サイズ",   "代引金額", "オプション",
    "重さ区分", "サイズ区分", "ゆうパック", "クロネコ", "安いほう", "差額",     "エラー"};

std::string_view trimBlanks(std::string_view text) {
    // ASCII blanks and the full-width blank U+3000 at both ends.
    for (;;) {
        if (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        else if (text.starts_with("\u3000"))
            text.remove_prefix(3);
        else if (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.remove_suffix(1);
        else if (text.ends_with("\u3000"))
            text.remove_suffix(3);
        else
            return text;
    }
}

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

struct ParcelRow {
    TYoupackRequest youpack;
    TCatRequest cat;
    int parcels = 1; // 複数口: both totals are for this many parcels
};

struct OptionName {
    std::vector<std::string_view> names;
    std::function<void(ParcelRow&)> apply;
};

const std::vector<OptionName>& optionTable() {
    static const std::vector<OptionName> table{
        {{"着払", "着払い", "送料着払い", "you-cyaku"},
         [](ParcelRow& r) { r.youpack.Cyaku = true; }},
        {{"速達", "you-sokutatsu"}, [](ParcelRow& r) { r.youpack.Sokutatsu = true; }},
        {{"配達日指定", "you-shitei"}, [](ParcelRow& r) { r.youpack.Shitei = true; }},
        {{"書留", "kakitome"}, [](ParcelRow& r) { r.youpack.Kakitome = true; }},
        {{"チルド", "cild"}, [](ParcelRow& r) { r.youpack.Cild = true; }},
        {{"代金引換", "代引"},
         [](ParcelRow& r) {
             r.youpack.Daihiki = true;
             r.cat.Daihiki = true;
         }},
        {{"you-daihiki"}, [](ParcelRow& r) { r.youpack.Daihiki = true; }},
        {{"cat-daihiki"}, [](ParcelRow& r) { r.cat.Daihiki = true; }},
        {{"自宅", "引取", "自宅や会社で荷物を渡す", "cat-home"},
         [](ParcelRow& r) { r.cat.Home = true; }},
        {{"タイムサービス", "cat-time"}, [](ParcelRow& r) { r.cat.Time = true; }},
        {{"クール", "cat-cool"}, [](ParcelRow& r) { r.cat.Cool = true; }},
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
        row.cat.Fukusu = true;
        row.cat.FukusuText = parcelCountOf(count);
        row.parcels = std::stoi(row.cat.FukusuText);
        return;
    }
    for (const OptionName& option : optionTable())
        for (std::string_view name : option.names)
            if (token == name) {
                option.apply(row);
                return;
            }
    throw UsageError("不明なオプション " + quoted(token) + " です");
}

ParcelRow parcelRowOf(const std::vector<std::string>& fields, const CompareSettings& settings) {
    auto field = [&](size_t i) {
        return i < fields.size() ? trimBlanks(fields[i]) : std::string_view{};
    };
    for (size_t i = kInputColumns; i < fields.size(); ++i)
        if (!trimBlanks(fields[i]).empty())
            throw UsageError("列が多すぎます（" + std::to_string(kInputColumns) + " 列まで）");
    ParcelRow row;
    const int from = sendingRowOf(field(0));
    const int to = destinationRowOf(field(1));
    const int weight = parcelWeightRowOf(field(2));
    const int size = sizeRowOf(field(3));
    const std::string amount = field(4).empty() ? std::string() : codAmountOf(field(4));
    for (std::string_view token : optionTokens(field(5)))
        applyOption(row, token);

    row.youpack.FromCaption = std::string(PrefectureRows(false)[static_cast<size_t>(from)]);
    row.youpack.ToRow = to;
    row.youpack.WeightRow = weight;
    row.youpack.DaihikiText = amount;
    row.youpack.SokinNo = settings.remittance;
    row.cat.FromRow = from;
    row.cat.ToRow = to;
    row.cat.WeightRow = weight;
    row.cat.SizeRow = size;
    row.cat.DaihikiText = amount;
    return row;
}

std::string_view trimmedCaption(std::string_view caption) {
    return trimBlanks(caption);
}

bool isHeader(const CsvRecord& record) {
    if (record.fields.empty())
        return false;
    std::string first(trimBlanks(record.fields[0]));
    for (char& c : first)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return first == "発送地" || first == "from";
}

// The cells of one output line after the echoed input.
std::vector<std::string> pricedCells(const IniStore& tariff, const ParcelRow& row,
                                     std::string& error) {
    std::vector<std::string> cells;
    cells.push_back(textCell(trimmedCaption(WeightRows()[static_cast<size_t>(row.cat.WeightRow)])));
    cells.push_back(textCell(trimmedCaption(SizeRows()[static_cast<size_t>(row.cat.SizeRow)])));

    std::optional<std::int64_t> you, cat;
    bool catNotHandled = false;
    auto fail = [&](std::string_view carrier, const std::exception& e) {
        error += (error.empty() ? "" : "; ") + std::string(carrier) + ": " + e.what();
    };
    try {
        // ゆうパック has no several-parcels rate: n parcels cost n times one.
        you = static_cast<std::int64_t>(QuoteYoupack(tariff, row.youpack).Total) * row.parcels;
    } catch (const ConversionError& e) {
        fail("ゆうパック", e);
    }
    try {
        const TParcelQuote quote = QuoteCat(tariff, row.cat);
        catNotHandled = quote.NotHandled;
        if (!catNotHandled)
            cat = quote.Total;
    } catch (const ConversionError& e) {
        fail("クロネコ", e);
    }
    cells.push_back(you ? std::to_string(*you) : "");
    cells.push_back(catNotHandled ? textCell("取扱不可") : cat ? std::to_string(*cat) : "");
    if (you && cat) {
        cells.push_back(textCell(*you < *cat ? "ゆうパック" : *cat < *you ? "クロネコ" : "同額"));
        cells.push_back(std::to_string(*you > *cat ? *you - *cat : *cat - *you));
    } else if (you && catNotHandled) {
        cells.push_back(textCell("ゆうパック"));
        cells.push_back("");
    } else {
        cells.push_back("");
        cells.push_back("");
    }
    return cells;
}

} // namespace

std::vector<CsvRecord> parseCsv(std::string_view text) {
    std::vector<CsvRecord> records;
    size_t line = 1;
    size_t i = 0;
    while (i < text.size()) {
        CsvRecord record;
        record.line = line;
        std::string field;
        bool quotedField = false;
        bool recordEnded = false;
        while (!recordEnded) {
            if (i == text.size()) {
                recordEnded = true;
                break;
            }
            const char c = text[i];
            if (quotedField) {
                if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    i += 2;
                } else if (c == '"') {
                    quotedField = false;
                    ++i;
                } else {
                    if (c == '\n' || (c == '\r' && !(i + 1 < text.size() && text[i + 1] == '\n')))
                        ++line;
                    field += c;
                    ++i;
                }
                continue;
            }
            if (c == '"' && field.empty()) {
                quotedField = true;
                ++i;
            } else if (c == ',') {
                record.fields.push_back(std::move(field));
                field.clear();
                ++i;
            } else if (c == '\r' || c == '\n') {
                i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
                ++line;
                recordEnded = true;
            } else {
                // A quote inside an unquoted field is taken as it is.
                field += c;
                ++i;
            }
        }
        record.unterminated = quotedField;
        record.fields.push_back(std::move(field));
        const bool blank = record.fields.size() == 1 && trimBlanks(record.fields[0]).empty() &&
                           !record.unterminated;
        if (!blank)
            records.push_back(std::move(record));
    }
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

std::string_view optionNames() {
    return "着払 速達 配達日指定 書留 チルド (ゆうパック), 自宅 タイムサービス クール 複数口=N "
           "(クロネコ), 代金引換 (両方)";
}

int runCsvComparison(const IniStore& tariff, std::string_view input, std::ostream& out,
                     const CompareSettings& settings) {
    // Spreadsheet programs save UTF-8 with a BOM, or Shift-JIS.
    if (input.starts_with(kBom))
        input.remove_prefix(kBom.size());
    std::string decoded;
    if (!isWellFormedUtf8(input)) {
        decoded = fromSjis(input);
        input = decoded;
    }

    std::string text;
    if (settings.bom)
        text += kBom;
    for (size_t i = 0; i < kOutputColumns.size(); ++i)
        text += std::string(i ? "," : "") + std::string(kOutputColumns[i]);
    text += "\r\n";

    bool allPriced = true;
    const auto records = parseCsv(input);
    for (size_t r = 0; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        if (r == 0 && isHeader(record))
            continue;
        std::vector<std::string> cells{std::to_string(record.line)};
        for (size_t i = 0; i < kInputColumns; ++i)
            cells.push_back(textCell(i < record.fields.size() ? record.fields[i] : ""));
        std::string error;
        try {
            if (record.unterminated)
                throw UsageError("引用符 \" が閉じていません");
            const ParcelRow row = parcelRowOf(record.fields, settings);
            for (std::string& cell : pricedCells(tariff, row, error))
                cells.push_back(std::move(cell));
        } catch (const UsageError& e) {
            error = e.what();
            cells.resize(kOutputColumns.size() - 1);
        }
        cells.push_back(textCell(error));
        allPriced = allPriced && error.empty();
        for (size_t i = 0; i < cells.size(); ++i)
            text += (i ? "," : "") + cells[i];
        text += "\r\n";
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    return allPriced && out ? 0 : 1;
}

} // namespace hakomaru::cli
