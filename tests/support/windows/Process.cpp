#include "Process.h"
#include "TempFiles.h"

#include <windows.h>

namespace hakomaru::test {
namespace {

namespace fs = std::filesystem;

std::wstring wideOf(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

// One argument as the C runtime's command-line parser reads it back:
// quoted when it holds a blank or a quote or is empty, a quote escaped with
// a backslash, and backslashes doubled only before a quote.
void appendQuoted(std::wstring& line, const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

// A handle the child inherits as one of its standard streams.
HANDLE inheritedFile(const fs::path& path, DWORD access, DWORD creation) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, creation,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

ProgramRun runProgram(const fs::path& program, const std::vector<std::string>& args,
                      const std::string& input) {
    const TempDir files;
    const fs::path in = files / "in", out = files / "out", err = files / "err";
    std::ofstream(in, std::ios::binary) << input;

    std::wstring line;
    appendQuoted(line, program.wstring());
    for (const auto& arg : args) {
        line += L' ';
        appendQuoted(line, wideOf(arg));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inheritedFile(in, GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = inheritedFile(out, GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = inheritedFile(err, GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    for (HANDLE h : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        CloseHandle(h);
    ProgramRun result;
    if (!started)
        return result;
    if (WaitForSingleObject(process.hProcess, 60 * 1000) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 124);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code))
        result.status = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    result.out = readBytes(out);
    result.err = readBytes(err);
    return result;
}

void endProgramAfter(unsigned) {}

} // namespace hakomaru::test
