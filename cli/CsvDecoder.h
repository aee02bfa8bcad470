#pragma once
// The text encoding of a CSV input: UTF-8, with or without a byte order
// mark, or Shift-JIS, as spreadsheet programs save them. A byte order mark
// or the first record that is not plain ASCII decides it for the whole
// input.
#include "CsvReader.h"

#include <optional>
#include <string>
#include <string_view>

namespace hakomaru::cli {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

class CsvDecoder {
  public:
    // Turns the record's fields into UTF-8 (a byte order mark before the
    // first field dropped); the reason, naming the line and the encoding,
    // when they are not valid in the input's encoding. A record read in
    // neither decides nothing: the next one that is not plain ASCII does.
    std::optional<std::string> decode(CsvRecord& record);

  private:
    enum class Encoding { Unknown, Utf8, Sjis };
    Encoding encoding_ = Encoding::Unknown;
    bool first_ = true;
};

} // namespace hakomaru::cli
