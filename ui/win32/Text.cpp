#include "Text.h"

#include <windows.h>

namespace hakomaru::win32 {

std::wstring wide(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    std::wstring out(
        static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)),
        L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), static_cast<int>(out.size()));
    return out;
}

std::string utf8(std::wstring_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    std::string out(static_cast<size_t>(::WideCharToMultiByte(CP_UTF8, 0, text.data(), size,
                                                              nullptr, 0, nullptr, nullptr)),
                    '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), static_cast<int>(out.size()),
                          nullptr, nullptr);
    return out;
}

} // namespace hakomaru::win32
