#include "SettingsLocation.h"

#include "Settings.h"
#include "UserFolder.h"
#include "system/Files.h"

#include <system_error>

namespace hakomaru {

namespace fs = std::filesystem;

SettingsEnvironment SettingsEnvironment::current() {
    SettingsEnvironment env;
    env.userFolder = userSettingsFolder();
    env.writable = [](const fs::path& path) { return sys::isWritable(path); };
    return env;
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
    return env.userFolder.empty() ? beside : env.userFolder / beside.filename();
}

fs::path resolveSettingsPath(const fs::path& programFile) {
    return resolveSettingsPath(programFile, SettingsEnvironment::current());
}

} // namespace hakomaru
