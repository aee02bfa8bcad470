#pragma once
// Test tariffs are written as UTF-8 text here and stored as the program
// finds them on disk: code page 932 bytes.
#include "ini/IniStore.h"
#include "text/Sjis.h"

#include <string_view>

namespace hakomaru::test {

inline IniStore tariffFrom(std::string_view utf8) { return IniStore(toSjis(utf8)); }

} // namespace hakomaru::test
