#pragma once
// The window system the program runs on. In a Wayland session a program
// cannot place its own windows, so neither the saved window position nor the
// postal window's docking would work there. When the user has not chosen a
// Qt platform and an X display is available besides Wayland (XWayland), the
// program runs on X11.
#include <string_view>

namespace hakomaru {

// The environment at start; a variable that is not set is null.
struct DisplayEnvironment {
    const char* qtPlatform = nullptr;     // QT_QPA_PLATFORM
    const char* waylandDisplay = nullptr; // WAYLAND_DISPLAY
    const char* display = nullptr;        // DISPLAY
    const char* sessionType = nullptr;    // XDG_SESSION_TYPE
    bool platformOption = false;          // "-platform" on the command line
};

// Whether to ask Qt for the X11 platform ("xcb"); otherwise Qt chooses.
inline bool runOnX11(const DisplayEnvironment& env) {
    auto set = [](const char* value) { return value && *value; };
    if (set(env.qtPlatform) || env.platformOption || !set(env.display))
        return false;
    return set(env.waylandDisplay) ||
           (set(env.sessionType) && std::string_view(env.sessionType) == "wayland");
}

// Whether the platform Qt runs on (its platform name) lets the program tell
// and set where its windows are. A Wayland compositor places every window
// itself and tells no program where it is: the saved place is then neither
// used at start nor overwritten at the close.
inline bool platformPlacesWindows(std::string_view platformName) {
    return !platformName.starts_with("wayland");
}

} // namespace hakomaru
