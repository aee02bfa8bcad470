#include "system/ProgramFile.h"

#include <string>
#include <windows.h>

namespace hakomaru::sys {

// Windows always knows the program's file, however it was started (through
// PATH, a shortcut, another folder), so argv[0] is not needed.
std::filesystem::path programFile(const char*) {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size =
            ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (size == 0)
            return {};
        if (size < name.size()) {
            name.resize(size);
            return std::filesystem::path(name);
        }
        name.resize(name.size() * 2); // a long path: cut short, try again
    }
}

} // namespace hakomaru::sys
