#include "system/ProcessIo.h"

#include <windows.h> // before the other Windows headers, which need its types

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

namespace hakomaru::sys {
namespace {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf8Of(const wchar_t* wide) {
    const int length = static_cast<int>(wcslen(wide));
    if (length == 0)
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, length, out.data(), size, nullptr, nullptr);
    return out;
}

bool isConsole(DWORD which) {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

UINT consoleInputCodePage = 0;
UINT consoleOutputCodePage = 0;

void restoreConsoleCodePages() {
    if (consoleInputCodePage != 0)
        SetConsoleCP(consoleInputCodePage);
    if (consoleOutputCodePage != 0)
        SetConsoleOutputCP(consoleOutputCodePage);
}

} // namespace

std::vector<std::string> commandLineArguments(int, char**) {
    std::vector<std::string> args;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return args;
    for (int i = 1; i < count; ++i)
        args.push_back(utf8Of(wide[i]));
    LocalFree(wide);
    return args;
}

void useByteStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The console shows the bytes in its own code page (932 on a Japanese
    // system): UTF-8 while the program runs, then the console's own again
    // for whatever runs after it in the same window.
    if (isConsole(STD_OUTPUT_HANDLE) || isConsole(STD_ERROR_HANDLE)) {
        consoleOutputCodePage = GetConsoleOutputCP();
        SetConsoleOutputCP(CP_UTF8);
    }
    if (isConsole(STD_INPUT_HANDLE)) {
        consoleInputCodePage = GetConsoleCP();
        SetConsoleCP(CP_UTF8);
    }
    if (consoleInputCodePage != 0 || consoleOutputCodePage != 0)
        std::atexit(restoreConsoleCodePages);
}

} // namespace hakomaru::sys
