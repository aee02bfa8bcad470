#pragma once
// The batch comparison: one parcel per CSV line in, both carriers' totals,
// the cheaper one and the difference out, as CSV for a spreadsheet.
//
// Input columns, in this order (a first line starting with "発送地" or
// "from" is a header and is skipped):
//   発送地, 届け先, 重さ, サイズ, 代引金額, オプション
// 代引金額 and オプション may be left out. Options are names separated by
// blanks, "・", "、", "+" or "|" (see csvOptionNames()). The input is read
// by CsvReader and decoded by CsvDecoder.
#include "CsvReader.h"
#include "ini/IniStore.h"

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru::cli {

// The columns of an input line and of the output, in their order.
std::span<const std::string_view> csvInputColumns();
std::span<const std::string_view> csvOutputColumns();

// The option names a row may carry, as the help lists them: those of each
// carrier's options, and those that choose an option of both carriers.
struct CsvOptionNames {
    std::string youpack, cat, both;
};
CsvOptionNames csvOptionNames();

struct CompareSettings {
    bool bom = true;           // start the output with the UTF-8 byte order mark
    int remittance = 8;        // remittance method for ゆうパック cash on delivery
    bool flushEachRow = false; // hand each line to the output as soon as it is written
};

// Whether the comparison's output, of the given file type (st_mode; nothing
// when it cannot be told), should get each answer at once: a pipe, a socket
// or a terminal has a reader waiting for it; a regular file gets buffered
// writes.
bool flushEachRowTo(std::optional<unsigned> outputMode);

// Reads one record at a time and writes its line at once, so memory does
// not grow with the input. Each row is priced as the main window would price
// the same selections; one it would refuse gets the reason in the error
// column. A line that is not valid in the input's encoding gets an error
// row naming the encoding and the line, and the batch goes on. Returns 0
// when every row was priced by both carriers (or shown 取扱不可), 1 when a
// row had an error (the other rows are still written) or the output could
// not be written.
int runCsvComparison(const IniStore& tariff, std::istream& in, std::ostream& out,
                     const CompareSettings& settings);
int runCsvComparison(const IniStore& tariff, std::string_view input, std::ostream& out,
                     const CompareSettings& settings);

} // namespace hakomaru::cli
