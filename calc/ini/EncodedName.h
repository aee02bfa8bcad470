#pragma once
// Section and key names are written in the code as UTF-8 literals; the INI
// files hold them in code page 932. Each name is encoded once and kept.
#include <string>
#include <string_view>

namespace hakomaru {

// The code page 932 bytes of a name written in the code. Only for the
// program's own fixed names: every distinct name is kept for the whole run.
const std::string& sjisName(std::string_view utf8);

} // namespace hakomaru
