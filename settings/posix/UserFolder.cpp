#include "UserFolder.h"
#include "posix/XdgFolder.h"

#include <cstdlib>

namespace hakomaru {

namespace fs = std::filesystem;

fs::path xdgSettingsFolder(std::string_view configHome, std::string_view home) {
    const fs::path config(configHome);
    if (!configHome.empty() && config.is_absolute())
        return config / "hakomaru";
    const fs::path homeFolder(home);
    if (!home.empty() && homeFolder.is_absolute())
        return homeFolder / ".config" / "hakomaru";
    return {};
}

fs::path userSettingsFolder() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    return xdgSettingsFolder(configHome ? configHome : "", home ? home : "");
}

} // namespace hakomaru
