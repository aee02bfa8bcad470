// Where the windows go: a saved place brought back only when its title bar
// is out of reach, room for the postal window, and the window system chosen
// at start.
#include "WindowPlacement.h"
#include "DisplayPlatform.h"

#include <gtest/gtest.h>

using namespace hakomaru;

namespace {

struct ReachCase {
    const char* name;
    QPoint saved;
    QPoint expected;
};

// Two screens side by side; a 404-pixel frame with a 20-pixel title bar.
const QList<QRect> kScreens{QRect(0, 0, 1024, 768), QRect(1024, 0, 800, 600)};

class Reachable : public testing::TestWithParam<ReachCase> {};

TEST_P(Reachable, FramePosition) {
    EXPECT_EQ(reachableFramePosition(GetParam().saved, 404, 20, kScreens), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Saved, Reachable,
                         testing::Values(ReachCase{"OnScreen", {400, 100}, {400, 100}},
                                         ReachCase{
                                             "PartlyOffStaysUnchanged", {-300, -19}, {-300, -19}},
                                         ReachCase{"OnSecondScreen", {1500, 500}, {1500, 500}},
                                         ReachCase{"AboveTheScreen", {-1, -20}, {0, 0}},
                                         ReachCase{"FarLeft", {-5000, 300}, {0, 300}},
                                         ReachCase{"BelowSecondScreen", {1500, 900}, {1420, 580}},
                                         ReachCase{"RightOfEverything", {3000, 100}, {1420, 100}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RoomForPostalWindow, MainWindowMovesRightJustEnough) {
    const QRect available(0, 0, 1024, 740);
    EXPECT_EQ(roomForPostalWindow({0, 0}, available), QPoint(210, 0));
    EXPECT_EQ(roomForPostalWindow({100, 50}, available), QPoint(210, 50));
    EXPECT_EQ(roomForPostalWindow({400, 50}, available), QPoint(400, 50));
    EXPECT_EQ(roomForPostalWindow({0, 0}, QRect(60, 0, 964, 768)), QPoint(270, 0));
}

struct PlatformCase {
    const char* name;
    DisplayEnvironment env;
    bool x11;
};

class Platform : public testing::TestWithParam<PlatformCase> {};

TEST_P(Platform, Choice) {
    EXPECT_EQ(runOnX11(GetParam().env), GetParam().x11);
}

INSTANTIATE_TEST_SUITE_P(
    Start, Platform,
    testing::Values(
        PlatformCase{"WaylandWithXWayland", {nullptr, "wayland-0", ":0", "wayland"}, true},
        PlatformCase{"WaylandDisplayOnly", {nullptr, "wayland-0", ":0", nullptr}, true},
        PlatformCase{"SessionTypeOnly", {nullptr, nullptr, ":0", "wayland"}, true},
        PlatformCase{"WaylandWithoutX", {nullptr, "wayland-0", nullptr, "wayland"}, false},
        PlatformCase{"EmptyDisplay", {nullptr, "wayland-0", "", "wayland"}, false},
        PlatformCase{"UserChoseWayland", {"wayland", "wayland-0", ":0", "wayland"}, false},
        PlatformCase{"UserChoseOffscreen", {"offscreen", nullptr, ":0", nullptr}, false},
        PlatformCase{"EmptyChoiceIsNone", {"", "wayland-0", ":0", nullptr}, true},
        PlatformCase{"PlatformOption", {nullptr, "wayland-0", ":0", "wayland", true}, false},
        PlatformCase{"X11Session", {nullptr, nullptr, ":0", "x11"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
