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
// programs save it; the first line that is not plain ASCII decides.
#include "IniStore.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru::cli {

// One CSV record and the line it starts on.
struct CsvRecord {
    size_t line = 0;
    std::vector<std::string> fields;
    bool unterminated = false; // a quoted field that never closes
    bool tooLong = false;      // longer than kMaxRecordBytes: no fields kept
};

// A record longer than this is not kept, so one unclosed quote cannot fill
// memory with the rest of a large file.
inline constexpr size_t kMaxRecordBytes = 64 * 1024;

// Reads CSV records one at a time (RFC 4180: fields in double quotes may
// hold commas, line breaks and doubled quotes; CR LF, LF or CR end a
// record). Blank lines give no record. The fields are the bytes as read.
class CsvReader {
  public:
    explicit CsvReader(std::istream& in);
    std::optional<CsvRecord> next();

  private:
    int peek();
    int take();
    std::streambuf& in_;
    size_t line_ = 1;
};

// All records of a text.
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

// Reads one record at a time and writes its line at once, so memory does
// not grow with the input. Each row is priced as the main window would price
// the same selections; one it would refuse gets the reason in the error
// column. Input that is not valid in its encoding gets one error row naming
// the encoding and the line, and the batch ends there. Returns 0 when every
// row was priced by both carriers (or shown 取扱不可), 1 when a row had an
// error (the other rows are still written) or the output could not be
// written.
int runCsvComparison(const IniStore& tariff, std::istream& in, std::ostream& out,
                     const CompareSettings& settings);
int runCsvComparison(const IniStore& tariff, std::string_view input, std::ostream& out,
                     const CompareSettings& settings);

} // namespace hakomaru::cli
