#pragma once
// CSV as spreadsheet programs read and write it (RFC 4180): records read one
// at a time from a stream, and fields written back.
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
// record). A line of ASCII blanks gives no record. The fields are the bytes as read.
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

} // namespace hakomaru::cli
