// EndProcessByName on real processes: copies of /bin/sleep under names of the
// test's own, so that parallel tests never meet each other's processes.
#include <gtest/gtest.h>

#include <thread>

#include "ChildProcess.h"
#include "app/platform/process.h"

namespace zu {
namespace {

using namespace std::chrono_literals;

class EndProcessByNameTest : public ::testing::Test {
protected:
    test::TempFolder folder;
    // Mixed case on purpose: the name is compared without regard to case.
    const std::string name = "Empty-" + std::to_string(getpid());
    std::vector<test::Child> children;

    const std::string sleeper = folder.CopyAs("/bin/sleep", name);

    test::Child StartSleeper() {
        auto child = test::Spawn(sleeper, {"1000"});
        // Wait until the child runs the copy, not the test binary it forked from.
        for (int i = 0; i < 200 && test::ProcessState(child.pid) != 'S'; ++i) std::this_thread::sleep_for(5ms);
        return child;
    }
    // Looks without reaping, so that the end can still be waited for.
    static bool Running(pid_t pid) {
        siginfo_t info{};
        return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
    }
    void TearDown() override {
        for (auto& c : children) test::Kill(c);
    }
};

TEST_F(EndProcessByNameTest, EndsOneProcessOfThatNamePerCallIgnoringCase) {
    children.push_back(StartSleeper());
    children.push_back(StartSleeper());
    ASSERT_TRUE(Running(children[0].pid) && Running(children[1].pid));

    std::string upper = name;
    for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ASSERT_TRUE(EndProcessByName(upper));
    std::this_thread::sleep_for(50ms);
    EXPECT_NE(Running(children[0].pid), Running(children[1].pid)) << "exactly one of the two ended";

    ASSERT_TRUE(EndProcessByName(name));
    for (auto& c : children) {
        const int status = test::Wait(c);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    }
    children.clear();
    EXPECT_FALSE(EndProcessByName(name));
}

TEST_F(EndProcessByNameTest, OnlyTheWholeFileNameMatches) {
    children.push_back(StartSleeper());
    const std::string other[] = {"", name.substr(1), name + "x", name + ".exe", folder.path() + "/" + name,
                                 " " + name};
    for (const auto& candidate : other) EXPECT_FALSE(EndProcessByName(candidate)) << "'" << candidate << "'";
    EXPECT_TRUE(Running(children[0].pid));
}

TEST_F(EndProcessByNameTest, AProcessThatEndedAlreadyIsNotEndedAgain) {
    auto child = test::Spawn(sleeper, {"0"});
    for (int i = 0; i < 400 && test::ProcessState(child.pid) != 'Z'; ++i) std::this_thread::sleep_for(5ms);
    ASSERT_EQ(test::ProcessState(child.pid), 'Z');
    EXPECT_FALSE(EndProcessByName(name));
    test::Wait(child);
}

TEST_F(EndProcessByNameTest, NeverEndsTheCallingProcess) {
    auto child = test::Spawn(folder.CopyAs(ZU_END_SELF_CHILD, name + "-self"));
    const int status = test::Wait(child);
    ASSERT_TRUE(WIFEXITED(status)) << "the process ended itself";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(EndProcessByNameTest, LeavesOtherUsersProcessesAlone) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to start a process as another user";
    const auto& program = sleeper;
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
        execl(program.c_str(), program.c_str(), "1000", nullptr);
        _exit(4);
    }
    ASSERT_GT(pid, 0);
    for (int i = 0; i < 200 && test::ProcessState(pid) != 'S'; ++i) std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(Running(pid));
    EXPECT_FALSE(EndProcessByName(name));
    EXPECT_TRUE(Running(pid));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

}  // namespace
}  // namespace zu
