#pragma once
// The batch comparison: one parcel per CSV line in, both carriers' totals,
// the cheaper one and the difference out, as CSV for a spreadsheet.
//
// Input columns, in this order (a first line starting with "発送地" or
// "from" is a header and is skipped):
//   発送地, 届け先, 重さ, サイズ, 代引金額, オプション
// 代引金額 and オプション may be left out. Options are names separated by
// blanks, "・", "、", "+" or "|" (see csvOptionNames()). The input is UTF-8
// (with or without a BOM) or, failing that, Shift-JIS as spreadsheet
// programs save it; the first line that is not plain ASCII decides.
#include "ini/IniStore.h"

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

// A record of more bytes than this, every byte counted (separators, quotes
// and the line breaks inside quotes too), is read to its end but not kept:
// neither a line of millions of commas nor one unclosed quote before the
// rest of a large file can fill memory.
inline constexpr size_t kMaxRecordBytes = 64 * 1024;

// Reads CSV records one at a time (RFC 4180: fields in double quotes may
// hold commas, line breaks and doubled quotes; CR LF, LF or CR end a
// record). Blank lines give no record. The fields are the bytes as read.
// A record is returned as soon as its line end has been read, without
// waiting for the next byte, so that input from a pipe is answered line by
// line.
class CsvReader {
  public:
    explicit CsvReader(std::istream& in);
    std::optional<CsvRecord> next();

  private:
    int peek();
    int take();
    std::streambuf& in_;
    size_t line_ = 1;
    bool afterCr_ = false; // the last record ended at a CR: an LF next belongs to it
};

// All records of a text.
std::vector<CsvRecord> parseCsv(std::string_view text);

// One field as CSV writes it: in double quotes, inner quotes doubled, when
// it holds a comma, a quote or a line break.
std::string csvField(std::string_view text);

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
