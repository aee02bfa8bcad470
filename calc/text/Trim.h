#pragma once
// Trimming, one function per meaning, each named by what it removes. They
// differ on purpose: a caption keeps its trailing text, the INI files drop
// control characters, typed values keep them, and a spreadsheet's cell may
// be padded with full-width blanks.
#include <string_view>

namespace hakomaru {

// The ASCII spaces at the start: the padding that aligns the selection
// lists' captions (" 2kg以下" as "2kg以下").
constexpr std::string_view trimLeadingSpaces(std::string_view caption) {
    const std::size_t begin = caption.find_first_not_of(' ');
    return begin == caption.npos ? std::string_view{} : caption.substr(begin);
}

// ASCII spaces at both ends: the padding of a fixed-width field, which
// keeps any other byte there to be shown.
constexpr std::string_view trimSpaces(std::string_view field) {
    const std::size_t begin = field.find_first_not_of(' ');
    if (begin == field.npos)
        return {};
    return field.substr(begin, field.find_last_not_of(' ') - begin + 1);
}

// A byte 0 to 32: a blank or a control character, as the INI files trim
// them from their lines, names and values.
constexpr bool isBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// Bytes 0 to 32 at both ends (isBlankOrControl).
constexpr std::string_view trimBlanksAndControls(std::string_view text) {
    while (!text.empty() && isBlankOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlankOrControl(text.back()))
        text.remove_suffix(1);
    return text;
}

// ASCII spaces and tabs at both ends: a value given on the command line.
constexpr std::string_view trimSpacesAndTabs(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == text.npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// ASCII spaces, tabs and full-width spaces (U+3000) at both ends of UTF-8
// text: a cell typed in a spreadsheet with a Japanese input method.
constexpr std::string_view trimSpacesTabsAndFullWidthSpaces(std::string_view text) {
    constexpr std::string_view kFullWidthSpace = "\u3000";
    for (;;) {
        if (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        else if (text.starts_with(kFullWidthSpace))
            text.remove_prefix(kFullWidthSpace.size());
        else if (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.remove_suffix(1);
        else if (text.ends_with(kFullWidthSpace))
            text.remove_suffix(kFullWidthSpace.size());
        else
            return text;
    }
}

} // namespace hakomaru
