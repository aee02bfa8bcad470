#pragma once
// Where the running program lies, to find the files shipped beside it.
#include <filesystem>

namespace hakomaru::sys {

// The running program's own file, as the system tells it (/proc/self/exe on
// Linux, the module's file name on Windows). Where the system does not tell,
// `argv0` leads to it: a path, or a name looked up in PATH. Empty when
// neither tells.
std::filesystem::path programFile(const char* argv0);

} // namespace hakomaru::sys
