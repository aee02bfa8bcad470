#include "SettingsLocation.h"

#include "Settings.h"
#include "system/Files.h"

#include <cstdlib>
#include <system_error>

namespace hakomaru {

namespace fs = std::filesystem;

SettingsEnvironment SettingsEnvironment::current() {
    SettingsEnvironment env;
    if (const char* value = std::getenv("XDG_CONFIG_HOME"))
        env.configHome = value;
    if (const char* value = std::getenv("HOME"))
        env.home = value;
    env.writable = [](const fs::path& path) { return sys::isWritable(path); };
    return env;
}

fs::path userConfigFolder(const SettingsEnvironment& env) {
    // A relative $XDG_CONFIG_HOME is invalid and is ignored.
    const fs::path configHome = env.configHome;
    if (!env.configHome.empty() && configHome.is_absolute())
        return configHome / "hakomaru";
    const fs::path home = env.home;
    if (!env.home.empty() && home.is_absolute())
        return home / ".config" / "hakomaru";
    return {};
}

fs::path resolveSettingsPath(const fs::path& programFile, const SettingsEnvironment& env) {
    const fs::path beside = settingsPathFor(programFile);
    std::error_code ec;
    fs::path folder = beside.parent_path();
    if (folder.empty())
        folder = ".";
    const bool fileWritable = fs::exists(beside, ec) && env.writable(beside);
    if (fileWritable || env.writable(folder))
        return beside;
    const fs::path user = userConfigFolder(env);
    return user.empty() ? beside : user / beside.filename();
}

fs::path resolveSettingsPath(const fs::path& programFile) {
    return resolveSettingsPath(programFile, SettingsEnvironment::current());
}

} // namespace hakomaru
