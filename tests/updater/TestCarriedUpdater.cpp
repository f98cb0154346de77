// The updater program as the main program carries it, run as its own process
// from a temporary run directory and configured through the registry file, as
// a user's machine would run it.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "run_directory.h"
#include "settings/registry.h"
#include "support/loopback_server.h"
#include "web/codecs.h"

namespace zu {
namespace {

using test::HttpReply;
using test::LoopbackServer;
using test::RunDirectory;

class CarriedUpdaterTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
        RegistryWriteText(RegistryRoot::LocalMachine, "SOFTWARE\\ZuZIvi\\Services\\UpdateServer", server.baseAddress());
        RegistryWriteText(RegistryRoot::LocalMachine, "SOFTWARE\\ZuZIvi\\Services\\DownloadHost", server.baseAddress());
        // Under a name of its own: other tests end processes called "LiveUpdate".
        test::WriteWholeFile(updater, test::ReadWholeFile(ZU_CARRIED_UPDATER), 0755);
        dir.InstallProgram("old");
        main = dir.StartWaitingProgram();
        ASSERT_GT(main, 0);
    }

    void Serve(const std::string& version) {
        link = server.baseAddress() + "/files/ZuZIvi-new";
        server.SetHandler([this, version](const test::RecordedRequest& request) {
            if (request.target == "/743724/index.asp?xAction=xReadNews&NewsID=4")
                return HttpReply("@@" + version + "##");
            if (request.target == "/zu.zip")
                return HttpReply(std::string("下载地址: <a href=\"") + link + "\">点此下载");
            return HttpReply(test::StandInBytes("new"), "application/octet-stream");
        });
    }

    // Runs the updater to its end (at most a minute); its exit status, -1 when
    // it had to be ended.
    int RunUpdater() {
        const std::string nameSetting = "ZU_UPDATER_PROGRAM_NAME=" + dir.programName();
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) env.emplace_back(*e);
        env.push_back(nameSetting);
        env.emplace_back("ZU_AUTO_ACCEPT_BOXES=1");
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, dir.File("updater.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        char* argv[] = {updater.data(), nullptr};
        pid_t pid = -1;
        const int spawned = posix_spawn(&pid, updater.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) return -2;
        for (int i = 0; i < 3000; ++i) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return -1;
    }

    RunDirectory dir;
    LoopbackServer server;
    std::string updater = dir.File("updater-under-test");
    std::string link;
    pid_t main = -1;
};

TEST_F(CarriedUpdaterTest, SameVersionEndsAfterTheBoxAndLeavesTheMainProgramAlone) {
    Serve("1.0");
    EXPECT_EQ(RunUpdater(), 0);
    EXPECT_NE(test::ReadWholeFile(dir.File("updater.err")).find(GbkToUtf8("温馨提示: 您已是最新版本！无需更新！")),
              std::string::npos);
    EXPECT_EQ(dir.CheckProgram(), "old");
    EXPECT_TRUE(RunDirectory::StillRuns(main));
}

TEST_F(CarriedUpdaterTest, DifferentVersionPutsTheNewProgramInPlaceAndStartsIt) {
    Serve("1.1");
    EXPECT_EQ(RunUpdater(), 0);
    EXPECT_EQ(dir.CheckProgram(), "new");
    EXPECT_TRUE(RunDirectory::WasEnded(main));
    for (int i = 0; i < 100 && dir.StartedLog().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(dir.StartedLog(), std::vector<std::string>{"new"});
}

}  // namespace
}  // namespace zu
