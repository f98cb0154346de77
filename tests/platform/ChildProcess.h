// Starting and watching real child processes in the tests.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace zu::test {

struct Child {
    pid_t pid = -1;
    int stdinFd = -1;   // write end of the child's stdin
    int stdoutFd = -1;  // read end of the child's stdout
};

// Starts `program` with `args`, the test's environment plus `extraEnv`
// ("NAME=value"), and pipes on its stdin and stdout.
inline Child Spawn(const std::string& program, std::vector<std::string> args = {},
                   std::vector<std::string> extraEnv = {}) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    for (auto& e : extraEnv) env.push_back(e);
    std::vector<char*> envp, argv;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string prog = program;
    argv.push_back(prog.data());
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    Child child;
    if (posix_spawn(&child.pid, prog.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    child.stdinFd = in[1];
    child.stdoutFd = out[0];
    return child;
}

// What the child wrote before `timeout` or before it closed its stdout.
inline std::string ReadLine(const Child& child, std::chrono::milliseconds timeout) {
    std::string line;
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{child.stdoutFd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char c;
        if (read(child.stdoutFd, &c, 1) != 1) break;
        line += c;
    }
    return line;
}

// Waits for the child's end; the wait status.
inline int Wait(Child& child) {
    int status = 0;
    waitpid(child.pid, &status, 0);
    if (child.stdinFd >= 0) close(child.stdinFd);
    if (child.stdoutFd >= 0) close(child.stdoutFd);
    child = {};
    return status;
}

inline void Kill(Child& child) {
    if (child.pid > 0) {
        kill(child.pid, SIGKILL);
        Wait(child);
    }
}

// The state letter of /proc/PID/stat ('R', 'S', 'Z', ...), or 0.
inline char ProcessState(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    const auto close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() ? 0 : line[close + 2];
}

// A folder of its own for the copies of programs a test starts.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zu-platform-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
        std::filesystem::permissions(path_, std::filesystem::perms(0755));
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    // A copy of `program` under the file name `name`.
    std::string CopyAs(const std::string& program, const std::string& name) const {
        const auto target = std::filesystem::path(path_) / name;
        std::filesystem::copy_file(program, target, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::permissions(target, std::filesystem::perms(0755));
        return target.string();
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace zu::test
