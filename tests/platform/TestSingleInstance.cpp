// The single-instance guard between real processes of a small program that
// takes it and then runs until told to stop.
#include <gtest/gtest.h>
#include <sys/file.h>

#include "ChildProcess.h"
#include "app/platform/single_instance.h"

namespace zu {
namespace {

using namespace std::chrono_literals;

class SingleInstanceTest : public ::testing::Test {
protected:
    test::TempFolder session;  // stands for the user's $XDG_RUNTIME_DIR
    std::vector<test::Child> copies;

    test::Child Start(const std::string& runtimeDir) {
        return test::Spawn(ZU_INSTANCE_HOLDER, {}, {"XDG_RUNTIME_DIR=" + runtimeDir});
    }
    void TearDown() override {
        for (auto& c : copies) test::Kill(c);
    }
};

// A second copy that ends with 0 and never got past the guard.
void ExpectEndedQuietly(test::Child child) {
    EXPECT_EQ(test::ReadLine(child, 10s), "");
    const int status = test::Wait(child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(SingleInstanceTest, SecondCopyEndsWhileTheFirstRunsAndANewOneStartsAfterIt) {
    copies.push_back(Start(session.path()));
    ASSERT_EQ(test::ReadLine(copies[0], 10s), "running\n");

    ExpectEndedQuietly(Start(session.path()));
    EXPECT_EQ(waitpid(copies[0].pid, nullptr, WNOHANG), 0) << "the first copy is not touched";

    test::Kill(copies[0]);  // however the first copy ends, its lock goes with it
    copies.clear();
    copies.push_back(Start(session.path()));
    EXPECT_EQ(test::ReadLine(copies[0], 10s), "running\n");
}

TEST_F(SingleInstanceTest, AnotherHolderOfTheLockKeepsItFromStarting) {
    setenv("XDG_RUNTIME_DIR", session.path().c_str(), 1);
    const int fd = open(InstanceLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    ExpectEndedQuietly(Start(session.path()));
    close(fd);
    copies.push_back(Start(session.path()));
    EXPECT_EQ(test::ReadLine(copies[0], 10s), "running\n");
}

TEST_F(SingleInstanceTest, CopiesOfTwoSessionsRunSideBySide) {
    test::TempFolder otherSession;
    copies.push_back(Start(session.path()));
    copies.push_back(Start(otherSession.path()));
    EXPECT_EQ(test::ReadLine(copies[0], 10s), "running\n");
    EXPECT_EQ(test::ReadLine(copies[1], 10s), "running\n");
}

TEST(InstanceLockPath, RuntimeDirectoryElseTmpWithTheUserId) {
    setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
    EXPECT_EQ(InstanceLockPath(), "/run/user/1000/ZuZIvi.instance.lock");
    const auto fallback = "/tmp/ZuZIvi-" + std::to_string(getuid()) + ".instance.lock";
    setenv("XDG_RUNTIME_DIR", "relative", 1);
    EXPECT_EQ(InstanceLockPath(), fallback);
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(InstanceLockPath(), fallback);
}

}  // namespace
}  // namespace zu
