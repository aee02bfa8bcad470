#pragma once
// Where the user settings file lies.
//
// The settings file is the program file's path with the extension ".ini",
// beside the program, as long as it can be written there: a build folder,
// a copy unpacked from a zip. A program folder that the user cannot write
// (a system-wide install: /usr/lib/hakomaru, C:\Program Files\hakomaru)
// would lose every preference at each exit, so the file then lives in the
// user's own folder for the program, under the same name: each system has
// its own (UserFolder.h). The folder is created by the first save.
#include <filesystem>
#include <functional>

namespace hakomaru {

// What the choice depends on, so that it can be decided without touching
// the real environment.
struct SettingsEnvironment {
    // The user's own folder for the program's settings; empty when the
    // system tells none.
    std::filesystem::path userFolder;
    // True when the user may write the file or folder.
    std::function<bool(const std::filesystem::path&)> writable;

    // This user's folder and the system's own test of what may be written.
    static SettingsEnvironment current();
};

// The settings file beside the program when the program folder is writable
// or the file exists there and is writable; otherwise the same name in the
// user's folder; beside the program when there is no such folder either.
std::filesystem::path resolveSettingsPath(const std::filesystem::path& programFile,
                                          const SettingsEnvironment& env);
std::filesystem::path resolveSettingsPath(const std::filesystem::path& programFile);

} // namespace hakomaru
