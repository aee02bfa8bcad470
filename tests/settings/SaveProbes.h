#pragma once
// What the POSIX save tests need beyond the save: the flushes, renames and
// removals it makes, a writer that dies halfway through a write, and a save
// as a user whom permissions stop. The first two stand in for the system's
// fsync(), rename(), renameat2(), unlink() and pwrite() in the test program.
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace hakomaru::test {

struct SystemCall {
    std::string name; // "flush", "rename", "unlink"
    ino_t file;
};

// Notes the calls made while it lives.
class CallLog {
  public:
    CallLog();
    ~CallLog();
    const std::vector<SystemCall>& calls() const { return calls_; }

  private:
    std::vector<SystemCall> calls_;
};

// From now on, the first write into `file` writes half its bytes and the
// process dies (SIGKILL), as a crash would stop it. For a child process.
void dieHalfwayWriting(ino_t file);

// What `run` returns, run in a child process as nobody when the tests run
// as root; "child failed" when it could not run.
std::string asUnprivilegedUser(const std::function<std::string()>& run);
// Gives the files to that user (when the tests run as root).
void giveToUnprivilegedUser(const std::vector<std::string>& paths);

} // namespace hakomaru::test
