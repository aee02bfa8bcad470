// The user's folder for the settings on Windows: %APPDATA%\hakomaru.
#include "UserFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(UserFolder, IsTheRoamingApplicationData) {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    ASSERT_NE(appData, nullptr);
    EXPECT_EQ(hakomaru::userSettingsFolder(), std::filesystem::path(appData) / L"hakomaru");
}

} // namespace
