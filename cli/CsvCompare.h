#pragma once
// The batch comparison: one parcel per CSV line in, both carriers' totals,
// the cheaper one and the difference out, as CSV for a spreadsheet.
//
// Input columns, in this order (a first line starting with "発送地" or
// "from" is a header and is skipped):
//   発送地, 届け先, 重さ, サイズ, 代引金額, オプション
// 代引金額 and オプション may be left out. Options are names separated by
// blanks, "・", "、", "+" or "|" (see optionNames()). The input is UTF-8
// (with or without a BOM) or, failing that, Shift-JIS as spreadsheet
// programs save it.
#include "IniStore.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru::cli {

// One CSV record and the line it starts on.
struct CsvRecord {
    size_t line = 0;
    std::vector<std::string> fields;
    bool unterminated = false; // a quoted field that never closes
};

// Splits CSV text into records (RFC 4180: fields in double quotes may hold
// commas, line breaks and doubled quotes; CR LF, LF or CR end a record).
// Blank lines give no record.
std::vector<CsvRecord> parseCsv(std::string_view text);

// One field as CSV writes it: in double quotes, inner quotes doubled, when
// it holds a comma, a quote or a line break.
std::string csvField(std::string_view text);

// The option names a row may carry, for the help text.
std::string_view optionNames();

struct CompareSettings {
    bool bom = true;    // start the output with the UTF-8 byte order mark
    int remittance = 8; // remittance method for ゆうパック cash on delivery
};

// Reads the whole input, writes the whole output. Returns 0 when every row
// was priced by both carriers, 1 when a row had an error (the other rows are
// still written) or the output could not be written.
int runCsvComparison(const IniStore& tariff, std::string_view input, std::ostream& out,
                     const CompareSettings& settings);

} // namespace hakomaru::cli
