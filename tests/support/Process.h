#pragma once
// Runs a built program as a user would, with its real standard streams and
// exit status, on POSIX systems and on Windows alike.
#include <filesystem>
#include <string>
#include <vector>

namespace hakomaru::test {

struct ProgramRun {
    int status = -1; // the exit status; 124 when the run was stopped for taking too long
    std::string out;
    std::string err;
};

// Runs `program` with `args` (UTF-8, passed on exactly, quoting left to this
// function) and `input` on its standard input. A run that takes longer than
// a minute is stopped instead of stalling the tests.
ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                      const std::string& input);

// Ends the test program when a test still runs after `seconds`, for a test
// that a bug would make hang. Windows has no alarm signal: there the test
// run's own time limit ends it.
void endProgramAfter(unsigned seconds);

} // namespace hakomaru::test
