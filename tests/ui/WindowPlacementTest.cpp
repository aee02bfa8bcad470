// A saved place brought back only when its title bar is out of reach, and
// the window system chosen at start.
#include "WindowPlacement.h"
#include "DisplayPlatform.h"

#include <gtest/gtest.h>

using namespace hakomaru;

TEST(Placement, TitleBarOutOfReachComesBackToTheNearestScreen) {
    const QList<QRect> screens{QRect(0, 0, 1024, 768), QRect(1024, 0, 800, 600)};
    const std::pair<QPoint, QPoint> cases[] = {{{400, 100}, {400, 100}},
                                               {{-300, -19}, {-300, -19}},
                                               {{-1, -20}, {0, 0}},
                                               {{1500, 900}, {1420, 580}}};
    for (const auto& [saved, expected] : cases)
        EXPECT_EQ(reachableFramePosition(saved, 404, 20, screens), expected)
            << saved.x() << "," << saved.y();
}

TEST(Placement, CentredFrameStaysWholeOnTheArea) {
    const struct {
        QSize frame;
        QRect available;
        QPoint corner;
    } cases[] = {{{325, 271}, {0, 0, 1024, 768}, {349, 248}},
                 {{325, 271}, {48, 24, 976, 744}, {373, 260}}, // panels left and top
                 {{1024, 100}, {0, 0, 1024, 768}, {0, 334}},
                 {{1200, 900}, {48, 24, 976, 744}, {48, 24}}}; // larger: the corner on it
    for (const auto& c : cases)
        EXPECT_EQ(centredFramePosition(c.frame, c.available), c.corner)
            << c.frame.width() << "x" << c.frame.height();
}

TEST(Placement, X11ChosenInAWaylandSessionWithXWayland) {
    struct Case {
        DisplayEnvironment env;
        bool x11;
    };
    const Case cases[] = {
        {{nullptr, nullptr, ":0", "wayland"}, true},
        {{"", "wayland-0", ":0", nullptr}, true}, // an empty choice is none
        {{nullptr, "wayland-0", nullptr, "wayland"}, false},
        {{"wayland", "wayland-0", ":0", "wayland"}, false},
        {{nullptr, "wayland-0", ":0", "wayland", true}, false}, // -platform given
        {{nullptr, nullptr, ":0", "x11"}, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(runOnX11(cases[i].env), cases[i].x11) << "case " << i;
}

// Where the window system does not tell a window's place, the start does not
// place the main window and the close keeps the saved place.
TEST(Placement, WaylandPlatformsDoNotTellWindowPlaces) {
    const std::pair<std::string_view, bool> cases[] = {
        {"xcb", true},      {"offscreen", true},    {"windows", true},
        {"wayland", false}, {"wayland-egl", false}, {"wayland-xcomposite-glx", false}};
    for (const auto& [platform, places] : cases)
        EXPECT_EQ(platformPlacesWindows(platform), places) << platform;
}
