#pragma once
// Writing JSON text by hand, for answers that are written by the hundred
// thousand: a fixed set of members in a fixed order needs no document.
#include "text/Sjis.h" // isWellFormedUtf8

#include <string>
#include <string_view>

namespace hakomaru::cli {

// Appends `text` as a JSON string: in quotes, with '"', '\' and the control
// characters escaped, other characters as they are. A byte that is not part
// of a well-formed UTF-8 sequence becomes U+FFFD, so the output is always
// valid UTF-8 whatever a tariff file holds.
void appendJsonString(std::string& out, std::string_view text);

// One JSON object, its members in the order they are added.
class JsonObjectWriter {
  public:
    JsonObjectWriter& text(std::string_view name, std::string_view value);
    JsonObjectWriter& number(std::string_view name, long long value);
    JsonObjectWriter& flag(std::string_view name, bool value);
    // The object's text; the writer is used up.
    std::string take();

  private:
    void name(std::string_view name);
    std::string out_ = "{";
};

} // namespace hakomaru::cli
