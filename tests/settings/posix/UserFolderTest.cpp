// The user's folder for the settings on POSIX systems: the XDG rule.
#include "posix/XdgFolder.h"

#include <gtest/gtest.h>

TEST(UserFolder, FollowsTheXdgRule) {
    // XDG_CONFIG_HOME, HOME ("" unset), the folder ("" none).
    const char* cases[][3] = {
        {"/xdg", "/home/u", "/xdg/hakomaru"},
        {"", "/home/u", "/home/u/.config/hakomaru"},
        {"relative", "/home/u", "/home/u/.config/hakomaru"}, // invalid, ignored
        {"", "relative", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(hakomaru::xdgSettingsFolder(c[0], c[1]), c[2]) << c[0] << " " << c[1];
}
