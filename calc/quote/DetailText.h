#pragma once
// Builds an itemised detail: pieces such as " + 速達¥310", each optionally
// closed with CR LF. The program's texts write the yen sign as the byte 0x5C;
// here it is the Unicode "¥" that a person sees.
#include "text/NumberText.h"
#include "text/Sjis.h"

#include <string>
#include <string_view>

namespace hakomaru {

class DetailText {
  public:
    // `lead` is the text before the yen sign, e.g. " + 速達" or "送料".
    DetailText& piece(std::string_view lead, const std::string& amount, bool lineBreak) {
        text_.append(lead).append(kYen).append(amount);
        if (lineBreak)
            text_.append("\r\n");
        return *this;
    }
    std::string take() { return std::move(text_); }

  private:
    std::string text_;
};

} // namespace hakomaru
