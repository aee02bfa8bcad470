#include "system/CodePage.h"

#include <climits>
#include <windows.h>

namespace hakomaru::sys {
namespace {

constexpr UINT kCp932 = 932;

// The text as UTF-16 from code page `codePage`, refusing any byte sequence
// that is not a character of it.
std::optional<std::wstring> toWide(UINT codePage, std::string_view text) {
    if (text.empty())
        return std::wstring();
    if (text.size() > INT_MAX)
        return std::nullopt;
    const int inSize = static_cast<int>(text.size());
    const int size =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), inSize, nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<size_t>(size), L'\0');
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), inSize, wide.data(),
                            size) != size)
        return std::nullopt;
    return wide;
}

// UTF-16 to code page `codePage`. For code page 932 no look-alike stands in
// for a character it lacks (WC_NO_BEST_FIT_CHARS), and a character that
// would become the default "?" refuses the whole text.
std::optional<std::string> fromWide(UINT codePage, const std::wstring& wide) {
    if (wide.empty())
        return std::string();
    const int inSize = static_cast<int>(wide.size());
    const bool utf8 = codePage == CP_UTF8;
    // UTF-8 takes neither flag nor default-character report.
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int size = WideCharToMultiByte(codePage, flags, wide.data(), inSize, nullptr, 0, nullptr,
                                         usedDefaultOut);
    if (size <= 0 || usedDefault)
        return std::nullopt;
    std::string out(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(codePage, flags, wide.data(), inSize, out.data(), size, nullptr,
                            usedDefaultOut) != size ||
        usedDefault)
        return std::nullopt;
    return out;
}

} // namespace

std::optional<std::string> encodeCp932(std::string_view utf8) {
    const auto wide = toWide(CP_UTF8, utf8);
    if (!wide)
        return std::nullopt;
    return fromWide(kCp932, *wide);
}

std::optional<std::string> decodeCp932(std::string_view cp932) {
    const auto wide = toWide(kCp932, cp932);
    if (!wide)
        return std::nullopt;
    return fromWide(CP_UTF8, *wide);
}

} // namespace hakomaru::sys
