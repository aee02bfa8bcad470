#pragma once
// What the POSIX save tests need beyond the save itself: the flushes,
// renames and removals a save makes, a writer that dies halfway through
// writing a file, and a save made as a user whom permissions stop.
//
// The first two take the place of the system's own fsync(), fdatasync(),
// rename(), renameat2(), unlink() and pwrite() in the test program: the
// save's calls reach these, which note or stop them and go on to the
// system's own.
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace hakomaru::test {

struct SystemCall {
    std::string name; // "flush", "rename", "unlink"
    ino_t file;       // the file flushed, renamed or removed
};

// Notes the calls made while it lives.
class CallLog {
  public:
    CallLog();
    ~CallLog();
    CallLog(const CallLog&) = delete;
    CallLog& operator=(const CallLog&) = delete;
    const std::vector<SystemCall>& calls() const { return calls_; }

  private:
    std::vector<SystemCall> calls_;
};

// From now on in this process, the first write into the file `file` writes
// half its bytes, and the process dies (SIGKILL) as a crash would stop it.
// For a child process.
void dieHalfwayWriting(ino_t file);

// Runs `run` in a child process as a user whom permissions stop (nobody,
// when the tests run as root), and returns what it returned; "child
// failed" when it could not run.
std::string asUnprivilegedUser(const std::function<std::string()>& run);

// Gives the files to that user (when the tests run as root).
void giveToUnprivilegedUser(const std::vector<std::string>& paths);

} // namespace hakomaru::test
