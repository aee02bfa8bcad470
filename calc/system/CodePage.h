#pragma once
// Code page 932 through the operating system's own converter: iconv on
// POSIX systems, MultiByteToWideChar / WideCharToMultiByte on Windows.
//
// Both directions are strict and all-or-nothing, so that the two systems
// can be held to one behaviour: what a system converts differently (the
// characters some converters map one way only, the bytes that are not
// characters) is settled above this layer, in Sjis.cpp, the same for both.
#include <optional>
#include <string>
#include <string_view>

namespace hakomaru::sys {

// Well-formed UTF-8 to code page 932, or nothing when a character has no
// code page 932 form.
std::optional<std::string> encodeCp932(std::string_view utf8);

// Code page 932 to UTF-8, or nothing when a byte sequence is not a
// character of code page 932.
std::optional<std::string> decodeCp932(std::string_view cp932);

} // namespace hakomaru::sys
