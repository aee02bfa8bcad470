#include "CsvCompare.h"

#include "CsvDecoder.h"
#include "JsonText.h"
#include "Selections.h"
#include "UsageError.h"
#include "selection/OptionTable.h"
#include "selection/ParcelPricing.h"
#include "tariff/Catalogues.h"
#include "text/ConversionError.h"
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

constexpr std::array<std::string_view, 6> kInputColumnNames{"発送地", "届け先",   "重さ",
                                                            "サイズ", "代引金額", "オプション"};
constexpr size_t kInputColumns = kInputColumnNames.size();

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

// Calls `match` with each name of an option a CSV line may use (its name,
// its CSV names, its command-line name) until one matches.
template <typename Match> bool namedBy(const OptionNames& names, Match match) {
    for (std::string_view name : {names.name, names.csv[0], names.csv[1], names.commandLine})
        if (!name.empty() && match(name))
            return true;
    return false;
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

// The options a token names; a name both carriers' options have chooses
// both. The option that takes a value (複数口) is named with it: "複数口=3".
void applyOption(ParcelRow& row, std::string_view token) {
    bool found = false;
    for (const ParcelOptionRow& option : parcelOptions()) {
        if (option.names.argument.empty()) {
            if (namedBy(option.names, [&](std::string_view name) { return token == name; })) {
                row.options.push_back(option.option);
                found = true;
            }
            continue;
        }
        std::string_view count;
        if (!namedBy(option.names, [&](std::string_view name) {
                count = token.substr(std::min(name.size(), token.size()));
                return token.starts_with(name);
            }))
            continue;
        for (std::string_view mark : {"=", ":", "\uFF1D", "\uFF1A"})
            if (count.starts_with(mark))
                count.remove_prefix(mark.size());
        if (count.empty())
            throw UsageError(std::string(option.names.name) + " には個数を付けてください（例: " +
                             std::string(option.names.csv[0]) + "=3）");
        row.options.push_back(option.option);
        row.parcelCount = parcelCountOf(count);
        return;
    }
    if (!found)
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
    return first == kInputColumnNames[0] || first == "from";
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

bool flushEachRowTo(std::optional<unsigned> outputMode) {
    // Unknown: at once, the safe side for a reader that waits.
    return !outputMode || !S_ISREG(*outputMode);
}

std::span<const std::string_view> csvInputColumns() {
    return kInputColumnNames;
}

std::span<const std::string_view> csvOutputColumns() {
    return kOutputColumns;
}

CsvOptionNames csvOptionNames() {
    CsvOptionNames names;
    const auto rows = parcelOptions();
    for (const ParcelOptionRow& row : rows) {
        std::string name(row.names.csv[0]);
        if (!row.names.argument.empty())
            name += "=" + std::string(row.names.argument);
        const bool shared = std::any_of(rows.begin(), rows.end(), [&](const ParcelOptionRow& o) {
            return o.carrier != row.carrier && o.names.csv[0] == row.names.csv[0];
        });
        std::string& list = shared                            ? names.both
                            : row.carrier == Carrier::Youpack ? names.youpack
                                                              : names.cat;
        if (shared && row.carrier == Carrier::Cat)
            continue; // listed once, with the ゆうパック option
        list += (list.empty() ? "" : " ") + name;
    }
    return names;
}

namespace {

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
        out << kUtf8Bom;
    for (size_t i = 0; i < kOutputColumns.size(); ++i)
        out << (i ? "," : "") << kOutputColumns[i];
    out << "\r\n";
    if (settings.flushEachRow)
        out.flush();

    CsvDecoder decoder;
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
