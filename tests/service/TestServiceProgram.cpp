// zu-naming-service as a program: serves until SIGTERM, then ends cleanly.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "raw_client.h"

extern char** environ;

namespace {

struct Program {
    pid_t pid = -1;
    int out = -1;
};

// Ends the program if a failed assertion leaves the test early.
struct EndOnExit {
    pid_t& pid;
    ~EndOnExit() {
        if (pid > 0 && ::waitpid(pid, nullptr, WNOHANG) == 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

Program Spawn(std::vector<std::string> args) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    Program p;
    if (posix_spawn(&p.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) p.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    p.out = pipeFds[0];
    return p;
}

int WaitExit(pid_t pid) {
    int status = 0;
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        ::usleep(50'000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -2;
}

}  // namespace

TEST(ServiceProgram, ServesOnTheGivenPortUntilTerminated) {
    Program p = Spawn({ZU_SERVICE_PROGRAM, "--port", "0"});
    ASSERT_GT(p.pid, 0);
    EndOnExit guard{p.pid};
    // The program writes its address on the first line once it listens.
    std::string line;
    char ch;
    while (line.size() < 64 && ::read(p.out, &ch, 1) == 1 && ch != '\n') line += ch;
    ASSERT_EQ(line.rfind("http://127.0.0.1:", 0), 0u) << line;
    const auto port = static_cast<std::uint16_t>(std::stoi(line.substr(17)));
    const auto reply = zu::service::testing::Get(port, "/gongsiqiming/?words=2");
    EXPECT_EQ(reply.status, 200);
    ::kill(p.pid, SIGTERM);
    EXPECT_EQ(WaitExit(p.pid), 0);
    p.pid = -1;
    ::close(p.out);
}

TEST(ServiceProgram, RefusesBadArguments) {
    for (const char* bad : {"--port", "--port=x", "--port 70000", "--colour"}) {
        std::vector<std::string> args{ZU_SERVICE_PROGRAM};
        std::string a(bad);
        for (std::size_t at; (at = a.find(' ')) != std::string::npos; a = a.substr(at + 1)) args.push_back(a.substr(0, at));
        args.push_back(a);
        Program p = Spawn(args);
        ASSERT_GT(p.pid, 0);
        EXPECT_EQ(WaitExit(p.pid), 2) << bad;
        ::close(p.out);
    }
}
