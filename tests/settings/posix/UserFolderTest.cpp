// The user's folder for the settings on POSIX systems: the XDG rule.
#include "posix/XdgFolder.h"

#include <gtest/gtest.h>

namespace {

struct XdgCase {
    const char* configHome; // "" unset
    const char* home;
    const char* expected; // "" none
};

TEST(UserFolder, FollowsTheXdgRule) {
    const XdgCase cases[] = {
        {"/xdg", "/home/u", "/xdg/hakomaru"},
        {"", "/home/u", "/home/u/.config/hakomaru"},
        {"relative", "/home/u", "/home/u/.config/hakomaru"}, // invalid, ignored
        {"", "relative", ""},
        {"", "", ""},
    };
    for (const XdgCase& c : cases)
        EXPECT_EQ(hakomaru::xdgSettingsFolder(c.configHome, c.home), c.expected)
            << "XDG_CONFIG_HOME=" << c.configHome << " HOME=" << c.home;
}

} // namespace
