// The tests' entry. With --at-dpi=N the tests run in a child process while
// the prefix's LogPixels says N (wine reads it when a process starts), and
// the value before is put back afterwards; HAKOMARU_TEST_DPI tells the
// child which dpi to expect. Only under wine: Windows reads LogPixels at
// sign-in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <windows.h>

namespace {

int runAtDpi(DWORD dpi, const char* flag) {
    HKEY key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 2;
    DWORD before = 0, size = sizeof before;
    const bool had = ::RegQueryValueExW(key, L"LogPixels", nullptr, nullptr,
                                        reinterpret_cast<BYTE*>(&before), &size) == ERROR_SUCCESS;
    ::RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                     sizeof dpi);
    ::SetEnvironmentVariableW(L"HAKOMARU_TEST_DPI", std::to_wstring(dpi).c_str());

    std::wstring command = ::GetCommandLineW();
    const std::wstring wideFlag(flag, flag + std::strlen(flag));
    command.erase(command.find(wideFlag), wideFlag.size());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    DWORD code = 3;
    if (::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                         &startup, &child)) {
        ::WaitForSingleObject(child.hProcess, INFINITE);
        ::GetExitCodeProcess(child.hProcess, &code);
        ::CloseHandle(child.hProcess);
        ::CloseHandle(child.hThread);
    }
    if (had)
        ::RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&before),
                         sizeof before);
    else
        ::RegDeleteValueW(key, L"LogPixels");
    ::RegCloseKey(key);
    return static_cast<int>(code);
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--at-dpi=", 9) == 0)
            return runAtDpi(static_cast<DWORD>(std::atoi(argv[i] + 9)), argv[i]);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
