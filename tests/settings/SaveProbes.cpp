#include "SaveProbes.h"

#include <csignal>
#include <cstdio>
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<hakomaru::test::SystemCall>* noted = nullptr;
ino_t dying = 0;
constexpr uid_t kNobody = 65534;

ino_t fileOf(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? st.st_ino : 0;
}

ino_t fileAt(const char* path) {
    struct stat st {};
    return ::lstat(path, &st) == 0 ? st.st_ino : 0;
}

template <typename Function> Function systemOwn(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

void note(const char* name, ino_t file) {
    if (noted)
        noted->push_back({name, file});
}

} // namespace

extern "C" int fsync(int fd) {
    note("flush", fileOf(fd));
    return systemOwn<int (*)(int)>("fsync")(fd);
}

extern "C" int rename(const char* from, const char* to) __THROW {
    note("rename", fileAt(from));
    return systemOwn<int (*)(const char*, const char*)>("rename")(from, to);
}

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned flags) __THROW {
    note("rename", fileAt(from));
    return systemOwn<int (*)(int, const char*, int, const char*, unsigned)>("renameat2")(
        fromFolder, from, toFolder, to, flags);
}

extern "C" int unlink(const char* path) __THROW {
    note("unlink", fileAt(path));
    return systemOwn<int (*)(const char*)>("unlink")(path);
}

extern "C" ssize_t pwrite(int fd, const void* bytes, size_t count, off_t offset) {
    const auto own = systemOwn<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    if (dying != 0 && count > 1 && fileOf(fd) == dying) {
        own(fd, bytes, count / 2, offset);
        ::raise(SIGKILL);
    }
    return own(fd, bytes, count, offset);
}

namespace hakomaru::test {

CallLog::CallLog() {
    noted = &calls_;
}

CallLog::~CallLog() {
    noted = nullptr;
}

void dieHalfwayWriting(ino_t file) {
    dying = file;
}

std::string asUnprivilegedUser(const std::function<std::string()>& run) {
    int ends[2];
    if (::pipe(ends) != 0)
        return "child failed";
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            std::_Exit(2);
        const std::string answer = run();
        std::_Exit(::write(ends[1], answer.data(), answer.size()) < 0);
    }
    ::close(ends[1]);
    std::string answer;
    char buffer[512];
    for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, static_cast<size_t>(n));
    ::close(ends[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? answer : "child failed";
}

void giveToUnprivilegedUser(const std::vector<std::string>& paths) {
    for (const std::string& path : paths)
        if (::geteuid() == 0 && ::chown(path.c_str(), kNobody, kNobody) != 0)
            std::perror(path.c_str());
}

} // namespace hakomaru::test
