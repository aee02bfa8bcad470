#include "text/Sjis.h"

#include "system/CodePage.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace hakomaru {
namespace {

bool isAscii(std::string_view text) {
    return firstNonAsciiByte(text) == std::string_view::npos;
}

// Characters that code page 932 has no code of its own for, written with the
// code that other Japanese encodings give them and that a person means:
// the yen sign is the byte 0x5C, the overline 0x7E, and the wave dash that
// input methods outside Windows type is the full-width tilde that code page
// 932 reads back. Some converters take these one way and some refuse them;
// here every system encodes them alike.
struct ExtraCode {
    std::string_view utf8, sjis;
};
constexpr ExtraCode kExtraCodes[] = {
    {"\u00A2", "\x81\x91"}, // ¢ as ￠
    {"\u00A3", "\x81\x92"}, // £ as ￡
    {"\u00A5", "\x5C"},     // ¥
    {"\u00AC", "\x81\xCA"}, // ¬ as ￢
    {"\u2014", "\x81\x5C"}, // em dash as the horizontal bar
    {"\u2016", "\x81\x61"}, // ‖ as ∥
    {"\u203E", "\x7E"},     // overline
    {"\u2212", "\x81\x7C"}, // minus sign as －
    {"\u301C", "\x81\x60"}, // wave dash as ～
};

const ExtraCode* extraCodeOf(std::string_view character) {
    for (const ExtraCode& extra : kExtraCodes)
        if (extra.utf8 == character)
            return &extra;
    return nullptr;
}

[[noreturn]] void refuse(std::string_view utf8) {
    throw std::invalid_argument("text cannot be written in code page 932: " + std::string(utf8));
}

// The system's encoding of a run of characters, held to the bytes that code
// page 932 reads back: a system that gives a byte that starts no character
// (0x80, 0xA0, 0xFD to 0xFF for a few private-use characters) is refused
// like one that has no code at all.
void appendEncoded(std::string& out, std::string_view run, std::string_view whole) {
    if (run.empty())
        return;
    const auto encoded = sys::encodeCp932(run);
    if (!encoded || firstNonSjisByte(*encoded) != 0)
        refuse(whole);
    out += *encoded;
}

// The length of the code page 932 character that starts `text`: 1 for a
// single byte, 2 for a lead and a trail byte, 0 when its first byte starts
// no character.
std::size_t sjisUnitLength(std::string_view text) {
    const auto c = static_cast<unsigned char>(text[0]);
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF))
        return 1;
    if (!isSjisLeadByte(c) || text.size() < 2)
        return 0;
    const auto trail = static_cast<unsigned char>(text[1]);
    return trail < 0x40 || trail == 0x7F || trail > 0xFC ? 0 : 2;
}

constexpr std::string_view kReplacement = "\uFFFD";

} // namespace

std::size_t firstNonAsciiByte(std::string_view text) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (word & kHighBits)
            break;
    }
    for (; i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return i;
    return std::string_view::npos;
}

std::string toSjis(std::string_view utf8) {
    // Code page 932 keeps every ASCII byte as it is.
    if (isAscii(utf8))
        return std::string(utf8);
    std::string out;
    out.reserve(utf8.size());
    size_t runStart = 0;
    for (size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            ++i;
            continue;
        }
        const size_t length = utf8SequenceLength(utf8.substr(i));
        if (length == 0)
            refuse(utf8);
        if (const ExtraCode* extra = extraCodeOf(utf8.substr(i, length))) {
            appendEncoded(out, utf8.substr(runStart, i - runStart), utf8);
            out += extra->sjis;
            runStart = i + length;
        }
        i += length;
    }
    appendEncoded(out, utf8.substr(runStart), utf8);
    return out;
}

std::string fromSjis(std::string_view sjis) {
    if (isAscii(sjis))
        return std::string(sjis);
    std::string out;
    out.reserve(sjis.size() * 3 / 2);
    size_t i = 0;
    while (i < sjis.size()) {
        // The longest run of well-formed characters, converted at once.
        size_t end = i;
        while (end < sjis.size()) {
            const size_t length = sjisUnitLength(sjis.substr(end));
            if (length == 0)
                break;
            end += length;
        }
        if (end == i) {
            out += kReplacement; // a byte that starts no character
            ++i;
            continue;
        }
        if (const auto decoded = sys::decodeCp932(sjis.substr(i, end - i))) {
            out += *decoded;
            i = end;
            continue;
        }
        // A code the code page leaves unassigned lies in the run: character
        // by character, and such a lead byte alone becomes U+FFFD, its trail
        // byte read anew as the start of the next character.
        while (i < end) {
            const size_t length = sjisUnitLength(sjis.substr(i));
            const auto decoded = length ? sys::decodeCp932(sjis.substr(i, length)) : std::nullopt;
            if (decoded) {
                out += *decoded;
                i += length;
            } else {
                out += kReplacement;
                ++i;
            }
        }
    }
    return out;
}

std::string shownFromSjis(std::string_view sjis, bool trailFirst) {
    std::string out;
    out.reserve(sjis.size() + sjis.size() / 2);
    const auto escape = [&](std::string_view bytes) {
        constexpr char kHex[] = "0123456789ABCDEF";
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            out.append({'<', kHex[b >> 4], kHex[b & 15], '>'});
        }
    };
    std::size_t i = 0;
    if (trailFirst && !sjis.empty()) {
        escape(sjis.substr(0, 1));
        i = 1;
    }
    // A byte shown otherwise than by decoding it with its neighbours.
    const auto special = [&](std::size_t at, std::size_t length) {
        const auto c = static_cast<unsigned char>(sjis[at]);
        return length == 0 || (length == 1 && (c < 0x20 || c == 0x7F || c == 0x5C));
    };
    while (i < sjis.size()) {
        // The longest run of whole characters, decoded at once.
        std::size_t end = i;
        while (end < sjis.size()) {
            const std::size_t length = sjisUnitLength(sjis.substr(end));
            if (special(end, length))
                break;
            end += length;
        }
        if (end > i && isAscii(sjis.substr(i, end - i))) {
            out.append(sjis.substr(i, end - i)); // printable ASCII stays as it is
            i = end;
            continue;
        }
        if (end > i) {
            if (const auto decoded = sys::decodeCp932(sjis.substr(i, end - i))) {
                out += *decoded;
                i = end;
            }
            // An unassigned code lies in the run: character by character.
            while (i < end) {
                const std::size_t length = sjisUnitLength(sjis.substr(i));
                if (const auto decoded = sys::decodeCp932(sjis.substr(i, length)))
                    out += *decoded;
                else
                    escape(sjis.substr(i, length));
                i += length;
            }
            continue;
        }
        if (sjis[i] == 0x5C)
            out += kYen;
        else
            escape(sjis.substr(i, 1));
        ++i;
    }
    return out;
}

std::optional<std::string_view> sjisCharacterAcross(std::string_view text, std::size_t at) {
    for (std::size_t i = 0; i < at && i < text.size();) {
        const std::size_t length =
            isSjisLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
        if (i + length > at)
            return text.substr(i, length);
        i += length;
    }
    return std::nullopt;
}

std::size_t firstNonSjisByte(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t length = sjisUnitLength(text.substr(i));
        if (length == 0)
            return i + 1;
        i += length;
    }
    return 0;
}

std::size_t utf8SequenceLength(std::string_view text) {
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

bool isWellFormedUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const size_t length = utf8SequenceLength(text.substr(i));
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

} // namespace hakomaru
