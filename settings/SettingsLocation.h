#pragma once
// Where the user settings file lies.
//
// The settings file is the program file's path with the extension ".ini",
// beside the program, as long as it can be written there. A program folder
// that the user cannot write (a system-wide install) would lose every
// preference at each exit, so the file then lives in the user's own
// configuration folder: $XDG_CONFIG_HOME/hakomaru/ (by default
// ~/.config/hakomaru/), under the same name. The folder is created by the
// first save.
#include <filesystem>
#include <functional>
#include <string>

namespace hakomaru {

// What the choice depends on, so that it can be decided without touching
// the real environment.
struct SettingsEnvironment {
    std::string configHome; // $XDG_CONFIG_HOME; empty when unset
    std::string home;       // $HOME; empty when unset
    // True when the user may write the file or folder.
    std::function<bool(const std::filesystem::path&)> writable;

    static SettingsEnvironment current();
};

// The user's configuration folder for the program: $XDG_CONFIG_HOME/hakomaru
// when that is an absolute path, else $HOME/.config/hakomaru; empty when
// neither is known.
std::filesystem::path userConfigFolder(const SettingsEnvironment& env);

// The settings file beside the program when the program folder is writable
// or the file exists there and is writable; otherwise the same name in the
// user's configuration folder; beside the program when there is no such
// folder either.
std::filesystem::path resolveSettingsPath(const std::filesystem::path& programFile,
                                          const SettingsEnvironment& env);
std::filesystem::path resolveSettingsPath(const std::filesystem::path& programFile);

} // namespace hakomaru
