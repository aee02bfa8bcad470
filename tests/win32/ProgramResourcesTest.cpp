// What both Windows programs carry, read as Windows reads it from the
// program files beside the tests: the version block with the one version of
// the build, the program's icon and the manifest.
#include "ProgramVersion.h"
#include "system/ProgramFile.h"

#include <gtest/gtest.h>

#include <string>

#include <windows.h>

namespace {

TEST(ProgramResources, BothProgramsCarryVersionIconAndManifest) {
    const std::filesystem::path folder = hakomaru::sys::programFile(nullptr).parent_path();
    const std::wstring version(hakomaru::kProgramVersion.begin(), hakomaru::kProgramVersion.end());
    for (const wchar_t* name : {L"hakomaru.exe", L"hakomaru-quote.exe"}) {
        SCOPED_TRACE(std::filesystem::path(name).string());
        const std::wstring file = (folder / name).wstring();
        const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), nullptr);
        ASSERT_GT(size, 0u);
        std::string block(size, '\0');
        ASSERT_TRUE(::GetFileVersionInfoW(file.c_str(), 0, size, block.data()));
        // The block the about window reads: Japanese, code page 932.
        wchar_t* text = nullptr;
        UINT length = 0;
        ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\StringFileInfo\\041103A4\\FileVersion",
                                     reinterpret_cast<void**>(&text), &length));
        EXPECT_EQ(std::wstring(text), version);
        VS_FIXEDFILEINFO* fixed = nullptr;
        ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                      std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                      std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
                      std::to_wstring(LOWORD(fixed->dwFileVersionLS)),
                  version);

        const HMODULE module = ::LoadLibraryExW(
            file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr);
        EXPECT_NE(::FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
        EXPECT_NE(::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST), nullptr);
        ::FreeLibrary(module);
    }
}

} // namespace
