#pragma once
// The window system the program runs on. In a Wayland session a program
// cannot place its own windows, so neither the saved window position nor the
// postal window's docking would work there. When the user has not chosen a
// Qt platform and an X display is available besides Wayland (XWayland), the
// program runs on X11.
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace hakomaru {

// The environment at start; a variable that is not set is null.
struct DisplayEnvironment {
    const char* qtPlatform = nullptr;     // QT_QPA_PLATFORM
    const char* waylandDisplay = nullptr; // WAYLAND_DISPLAY
    const char* display = nullptr;        // DISPLAY
    const char* sessionType = nullptr;    // XDG_SESSION_TYPE
    bool platformOption = false;          // "-platform" on the command line
};

// The environment of this process.
inline DisplayEnvironment displayEnvironment() {
    return {std::getenv("QT_QPA_PLATFORM"), std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"),
            std::getenv("XDG_SESSION_TYPE")};
}

// Whether to ask Qt for the X11 platform ("xcb"); otherwise Qt chooses.
inline bool runOnX11(const DisplayEnvironment& env) {
    auto set = [](const char* value) { return value && *value; };
    if (set(env.qtPlatform) || env.platformOption || !set(env.display))
        return false;
    return set(env.waylandDisplay) ||
           (set(env.sessionType) && std::string_view(env.sessionType) == "wayland");
}

// The command line to give QApplication: the program's own, with
// "-platform xcb" put first where runOnX11 asks for it. The window system is
// chosen through the command line rather than the environment, so programs
// the user opens from here (a browser for the help pages) keep their own
// choice. The arguments live as long as this object, which must outlive the
// application.
class PlatformArguments {
  public:
    PlatformArguments(int argc, char* argv[]) : args_(argv, argv + argc) {
        DisplayEnvironment env = displayEnvironment();
        for (int i = 1; i < argc; ++i)
            env.platformOption |=
                std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0;
        if (runOnX11(env))
            args_.insert(args_.begin() + 1, {platformOption_, x11_});
        count_ = static_cast<int>(args_.size());
        args_.push_back(nullptr);
    }
    PlatformArguments(const PlatformArguments&) = delete;
    PlatformArguments& operator=(const PlatformArguments&) = delete;
    int& count() { return count_; }
    char** values() { return args_.data(); }
    // The program's name as it was started.
    const char* program() const { return args_.front(); }

  private:
    char platformOption_[10] = "-platform";
    char x11_[4] = "xcb";
    std::vector<char*> args_;
    int count_ = 0;
};

// Whether the platform Qt runs on (its platform name) lets the program tell
// and set where its windows are. A Wayland compositor places every window
// itself and tells no program where it is: the saved place is then neither
// used at start nor overwritten at the close.
inline bool platformPlacesWindows(std::string_view platformName) {
    return !platformName.starts_with("wayland");
}

// What the program says, in Japanese, where no window system could be
// used: `missing` names the Qt platform plugins that are not installed (Qt's
// names, "wayland", "xcb"), and with none missing the plugins were there and
// could not reach a display. Names the package to install where one is
// missing.
std::string noWindowSystemMessage(std::string_view program, const std::vector<std::string>& missing,
                                  const DisplayEnvironment& env);

} // namespace hakomaru
