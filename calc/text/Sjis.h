#pragma once
// Code page 932 (Shift-JIS) conversions.
//
// Both INI files are Shift-JIS bytes and are kept as such: names are encoded
// once from the UTF-8 literals of the code, values stay raw bytes until they
// are shown to a person. Conversion goes through the system's converter
// (system/CodePage.h), which keeps 0x5C and 0x7E as ASCII and knows the NEC
// and IBM extensions; what systems do differently is settled here, so that
// every system gives the same bytes and the same text.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace hakomaru {

// UTF-8 to code page 932. Characters that code page 932 cannot hold throw
// std::invalid_argument: this is only ever used on the program's own texts
// and on names a user typed, never on file content.
std::string toSjis(std::string_view utf8);

// Code page 932 to UTF-8, byte for byte as Windows decodes it (0x5C stays a
// backslash). An invalid or truncated byte sequence becomes U+FFFD, so any
// file content can be decoded.
std::string fromSjis(std::string_view sjis);

// Code page 932 to UTF-8 for a person to read: every byte that is not
// part of a whole character (a lead byte without its trail byte, a byte
// that starts no character, an unassigned code), and every control
// character, is shown as its value in angle brackets ("<81>", "<00>"), so
// that nothing reads as a blank, a replacement mark or a letter it is only
// half of; the byte 0x5C is the yen sign U+00A5, as code page 932 fonts
// draw it. `trailFirst`: the first byte is the trail byte of a character
// that begins before the text (a field cut out of a longer value).
std::string shownFromSjis(std::string_view sjis, bool trailFirst = false);

// The double-byte character of `text` that the byte offset `at` falls
// inside; nothing when a character starts there or `at` is past the end.
std::optional<std::string_view> sjisCharacterAcross(std::string_view text, std::size_t at);

// True when `byte` opens a double-byte character of code page 932.
constexpr bool isSjisLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The offset of the first byte of `text` above 0x7F, or npos when it is all
// ASCII. Eight bytes at a time: the checks of a whole file use it.
std::size_t firstNonAsciiByte(std::string_view text);

// The position (from 1) of the first byte of `text` that code page 932
// cannot read as a character, or 0 when every byte can.
std::size_t firstNonSjisByte(std::string_view text);

// The length of the well-formed UTF-8 sequence that starts `text`, or 0.
std::size_t utf8SequenceLength(std::string_view text);

// True when every byte of `text` is part of a well-formed UTF-8 sequence.
bool isWellFormedUtf8(std::string_view text);

// The yen sign as shown to a person: the program's own texts write it as
// the byte 0x5C, which fonts for code page 932 draw as "¥".
inline constexpr std::string_view kYen = "\u00A5";

} // namespace hakomaru
