#include "JsonText.h"

namespace hakomaru::cli {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

// The length of the well-formed UTF-8 sequence that starts `text`, or 0.
size_t sequenceLength(std::string_view text) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // no overlong forms
        if (lead == 0xED)
            high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F; // nothing beyond U+10FFFF
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

} // namespace

bool isWellFormedUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const size_t length = sequenceLength(text.substr(i));
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

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
            const size_t length = sequenceLength(text.substr(i));
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
