#pragma once
// The XDG rule for the user's configuration folder of the program.
#include <filesystem>
#include <string_view>

namespace hakomaru {

// $XDG_CONFIG_HOME/hakomaru when that is an absolute path (a relative one
// is invalid and ignored), else $HOME/.config/hakomaru; empty when neither
// is known. Empty arguments stand for unset variables.
std::filesystem::path xdgSettingsFolder(std::string_view configHome, std::string_view home);

} // namespace hakomaru
