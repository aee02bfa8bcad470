#pragma once
// The user's own folder for the program's settings, where the settings file
// goes when the program's folder cannot be written: what differs between
// systems, with one implementation per system (posix/, windows/), chosen by
// CMake.
//   POSIX:   $XDG_CONFIG_HOME/hakomaru, else ~/.config/hakomaru
//   Windows: %APPDATA%\hakomaru (the user's roaming application data)
#include <filesystem>

namespace hakomaru {

// Empty when the system tells none.
std::filesystem::path userSettingsFolder();

} // namespace hakomaru
