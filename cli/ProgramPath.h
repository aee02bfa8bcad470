#pragma once
// Where the running program lies, to find the files shipped beside it.
#include <filesystem>

namespace hakomaru::cli {

// The directory of the running executable: from /proc/self/exe where the
// system has it, else from argv[0] (a path, or a name looked up in PATH).
// Empty when neither tells.
std::filesystem::path programDirectory(const char* argv0);

} // namespace hakomaru::cli
