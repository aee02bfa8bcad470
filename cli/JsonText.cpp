#include "JsonText.h"

#include "text/Sjis.h"

namespace hakomaru::cli {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

} // namespace

void appendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    size_t i = 0;
    while (i < text.size()) {
        // Plain ASCII runs are copied in one piece.
        size_t run = i;
        while (run < text.size()) {
            const auto c = static_cast<unsigned char>(text[run]);
            if (c < 0x20 || c >= 0x80 || c == '"' || c == '\\')
                break;
            ++run;
        }
        out.append(text, i, run - i);
        i = run;
        if (i == text.size())
            break;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const size_t length = utf8SequenceLength(text.substr(i));
            if (length == 0) {
                out += kReplacement;
                ++i;
            } else {
                out.append(text, i, length);
                i += length;
            }
            continue;
        }
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
        ++i;
    }
    out += '"';
}

void JsonObjectWriter::name(std::string_view name) {
    if (out_.size() > 1)
        out_ += ',';
    appendJsonString(out_, name);
    out_ += ':';
}

JsonObjectWriter& JsonObjectWriter::text(std::string_view name, std::string_view value) {
    this->name(name);
    appendJsonString(out_, value);
    return *this;
}

JsonObjectWriter& JsonObjectWriter::number(std::string_view name, long long value) {
    this->name(name);
    out_ += std::to_string(value);
    return *this;
}

JsonObjectWriter& JsonObjectWriter::flag(std::string_view name, bool value) {
    this->name(name);
    out_ += value ? "true" : "false";
    return *this;
}

std::string JsonObjectWriter::take() {
    out_ += '}';
    return std::move(out_);
}

} // namespace hakomaru::cli
