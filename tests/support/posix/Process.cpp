#include "Process.h"
#include "TempFiles.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace hakomaru::test {
namespace fs = std::filesystem;

ProgramRun runProgram(const fs::path& program, const std::vector<std::string>& args,
                      const std::string& input) {
    const TempDir files;
    const fs::path in = files / "in", out = files / "out", err = files / "err";
    std::ofstream(in, std::ios::binary) << input;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> argvText{program.string()};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : argvText)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = -1;
    const int spawned =
        posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ProgramRun result;
    if (spawned != 0)
        return result;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child)
            break;
        if (done < 0 && errno != EINTR)
            return result;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            result.status = 124;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (result.status != 124)
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readBytes(out);
    result.err = readBytes(err);
    return result;
}

void endProgramAfter(unsigned seconds) {
    ::alarm(seconds);
}

} // namespace hakomaru::test
