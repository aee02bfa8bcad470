// Both Windows programs beside the tests, read as Windows reads them: the
// version block with the build's one version, the icon and the manifest.
#include "ProgramVersion.h"
#include "system/ProgramFile.h"

#include <gtest/gtest.h>

#include <string>

#include <windows.h>

TEST(ProgramResources, BothProgramsCarryVersionIconAndManifest) {
    const auto folder = hakomaru::sys::programFile(nullptr).parent_path();
    for (const wchar_t* name : {L"hakomaru.exe", L"hakomaru-quote.exe"}) {
        const std::wstring file = (folder / name).wstring();
        std::string block(::GetFileVersionInfoSizeW(file.c_str(), nullptr), '\0');
        ASSERT_TRUE(::GetFileVersionInfoW(file.c_str(), 0, DWORD(block.size()), block.data()));
        wchar_t* version = nullptr; // the block the about window reads: code page 932
        UINT length = 0;
        ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\StringFileInfo\\041103A4\\FileVersion",
                                     reinterpret_cast<void**>(&version), &length));
        EXPECT_EQ(std::wstring(version), std::wstring(hakomaru::kProgramVersion.begin(),
                                                      hakomaru::kProgramVersion.end()));
        const HMODULE module = ::LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr);
        EXPECT_NE(::FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
        EXPECT_NE(::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST), nullptr);
        ::FreeLibrary(module);
    }
}
