#include "app/update/start_program.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace zu {

pid_t StartProgram(const std::string& path) {
    // The full path is the whole command line: argv[0] and nothing else.
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = -1;
    // glibc's posix_spawn reports a failed exec as its result, so a started
    // child is one that really runs the file.
    if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
    return pid;
}

bool StartProgramAndWait(const std::string& path) {
    const pid_t pid = StartProgram(path);
    if (pid < 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

}  // namespace zu
