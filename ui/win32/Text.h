#pragma once
// The core's texts are UTF-8; the Windows API's wide calls take UTF-16.
#include <string>
#include <string_view>

namespace hakomaru::win32 {

std::wstring wide(std::string_view utf8);
std::string utf8(std::wstring_view text);

} // namespace hakomaru::win32
