#include "system/ProgramFile.h"

#include <cstdlib>
#include <string_view>
#include <system_error>

namespace hakomaru::sys {
namespace {

namespace fs = std::filesystem;

bool isExecutableFile(const fs::path& path) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    return !ec && fs::is_regular_file(status) &&
           (status.permissions() & fs::perms::owner_exec) != fs::perms::none;
}

// argv[0] as the shell resolved it: a path when it holds a separator,
// otherwise the first match in PATH.
fs::path fromArgv0(std::string_view argv0) {
    std::error_code ec;
    if (argv0.find('/') != std::string_view::npos) {
        fs::path path = fs::weakly_canonical(fs::absolute(fs::path(argv0), ec), ec);
        return ec ? fs::path() : path;
    }
    const char* searchPath = std::getenv("PATH");
    std::string_view dirs = searchPath ? searchPath : "";
    while (!argv0.empty()) {
        const size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        const fs::path candidate = fs::path(dir.empty() ? "." : dir) / argv0;
        if (isExecutableFile(candidate))
            return fs::weakly_canonical(fs::absolute(candidate, ec), ec);
        if (colon == std::string_view::npos)
            break;
        dirs.remove_prefix(colon + 1);
    }
    return {};
}

} // namespace

std::filesystem::path programFile(const char* argv0) {
    std::error_code ec;
    fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (ec || program.empty())
        program = fromArgv0(argv0 ? argv0 : "");
    return program;
}

} // namespace hakomaru::sys
