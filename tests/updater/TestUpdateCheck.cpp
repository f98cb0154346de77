#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "app/update/update_check.h"
#include "app/update/version.h"
#include "run_directory.h"
#include "settings/config.h"
#include "settings/paths.h"
#include "support/loopback_server.h"

namespace zu {
namespace {

using test::HttpReply;
using test::LoopbackServer;
using test::RunDirectory;

enum class Server { Answers, Unreachable, NotConfigured };

struct CheckCase {
    const char* name;
    Server server;
    const char* page;  // the update page's body
    bool silent;
    const char* note;  // the box shown, "" for none
    bool updaterStarted;
};

class UpdateCheckTest : public ::testing::TestWithParam<CheckCase> {
protected:
    void SetUp() override {
        SetRunDirectory(dir.path());
        // A stand-in updater that takes a moment and then leaves a trace, so a
        // trace seen when the check returns proves it was waited for.
        test::WriteWholeFile(UpdaterFilePath(),
                             "#!/bin/sh\nsleep 0.3\necho ran >> \"$(dirname \"$0\")/updater.log\"\n", 0755);
        SetUpdateNoteBox([this](const std::string& title, const std::string& text) {
            notes.push_back(title + "|" + text);
        });
    }
    void TearDown() override {
        SetUpdateNoteBox({});
        SetConfig({});
    }
    bool UpdaterRan() const { return test::ReadWholeFile(dir.File("updater.log")) == "ran\n"; }

    RunDirectory dir;
    LoopbackServer server;
    std::vector<std::string> notes;
};

TEST_P(UpdateCheckTest, StartsTheUpdaterOnlyForAKnownDifferentVersion) {
    const CheckCase& c = GetParam();
    ServiceConfig config;
    if (c.server == Server::Answers) {
        config.updateServer = server.baseAddress();
        server.Enqueue(HttpReply(c.page));
    } else if (c.server == Server::Unreachable) {
        config.updateServer = "http://127.0.0.1:1";
    }
    SetConfig(config);

    CheckForUpdate(c.silent);

    EXPECT_EQ(UpdaterRan(), c.updaterStarted);
    const std::vector<std::string> expectedNotes =
        *c.note ? std::vector<std::string>{std::string("温馨提示|") + c.note} : std::vector<std::string>{};
    EXPECT_EQ(notes, expectedNotes);
    if (c.server == Server::Answers) {
        ASSERT_EQ(server.Requests().size(), 1u);
        EXPECT_EQ(server.Requests()[0].target, "/743724/index.asp?xAction=xReadNews&NewsID=4");
    } else {
        EXPECT_TRUE(server.Requests().empty());
    }
}

const char* const kCurrent = "当前版本为最新。无需升级！";
const char* const kUnknown = kVersionUnknownNote.data();

INSTANTIATE_TEST_SUITE_P(
    Versions, UpdateCheckTest,
    ::testing::Values(
        CheckCase{"SameVersionSilent", Server::Answers, "<p>news @@1.0## more</p>", true, "", false},
        CheckCase{"SameVersionAsked", Server::Answers, "<p>news @@1.0## more</p>", false, kCurrent, false},
        CheckCase{"NewerVersionSilent", Server::Answers, "@@1.1##", true, "", true},
        CheckCase{"NewerVersionAsked", Server::Answers, "@@1.1##", false, "", true},
        // Compared as text: any difference counts.
        CheckCase{"TrailingZero", Server::Answers, "@@1.00##", true, "", true},
        CheckCase{"LeadingBlank", Server::Answers, "@@ 1.0##", true, "", true},
        CheckCase{"OlderVersion", Server::Answers, "@@0.9##", true, "", true},
        // The first "@@" and the next "##" after it.
        CheckCase{"FirstMarkersCount", Server::Answers, "## @@1.0## @@2.0##", false, kCurrent, false},
        // An unreadable version is unknown, not different.
        CheckCase{"NoMarkersSilent", Server::Answers, "<html>no version here</html>", true, "", false},
        CheckCase{"NoMarkersAsked", Server::Answers, "<html>no version here</html>", false, kUnknown, false},
        CheckCase{"EmptyVersionAsked", Server::Answers, "@@##", false, kUnknown, false},
        CheckCase{"UnreachableSilent", Server::Unreachable, "", true, "", false},
        CheckCase{"UnreachableAsked", Server::Unreachable, "", false, kUnknown, false},
        CheckCase{"NoServerSilent", Server::NotConfigured, "", true, "", false},
        CheckCase{"NoServerAsked", Server::NotConfigured, "", false, kUnknown, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateCheckTest, MissingUpdaterFileReturnsQuietly) {
    std::filesystem::remove(UpdaterFilePath());
    server.Enqueue(HttpReply("@@2.0##"));
    SetConfig(ServiceConfig{.updateServer = server.baseAddress()});
    CheckForUpdate(false);
    EXPECT_TRUE(notes.empty());
    EXPECT_FALSE(UpdaterRan());
}

class UpdaterFileTest : public ::testing::Test {
protected:
    void SetUp() override { SetRunDirectory(dir.path()); }
    RunDirectory dir;
};

TEST_F(UpdaterFileTest, WritesTheWholeCarriedProgramRunnableAndReplacesAnEarlierFile) {
    const std::string carried = test::ReadWholeFile(ZU_CARRIED_UPDATER);
    ASSERT_EQ(carried.substr(0, 4), "\x7f" "ELF");
    test::WriteWholeFile(UpdaterFilePath(), "an earlier, different updater", 0600);

    WriteUpdaterFile();

    EXPECT_EQ(UpdaterFilePath(), dir.path() + "/LiveUpdate");
    EXPECT_TRUE(test::ReadWholeFile(UpdaterFilePath()) == carried);
    const auto perms = std::filesystem::status(UpdaterFilePath()).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::owner_exec, std::filesystem::perms::owner_exec);
    // Nothing but the updater file is left in the folder.
    EXPECT_EQ(dir.FileNames(), std::vector<std::string>{"LiveUpdate"});
}

TEST_F(UpdaterFileTest, DeleteRemovesTheFileAndAMissingFileIsFine) {
    WriteUpdaterFile();
    DeleteUpdaterFile();
    EXPECT_FALSE(std::filesystem::exists(UpdaterFilePath()));
    DeleteUpdaterFile();
    EXPECT_TRUE(dir.FileNames().empty());
}

TEST_F(UpdaterFileTest, MissingFolderWritesNothing) {
    SetRunDirectory(dir.path() + "/missing-folder");
    WriteUpdaterFile();
    EXPECT_FALSE(std::filesystem::exists(UpdaterFilePath()));
    EXPECT_TRUE(dir.FileNames().empty());
}

}  // namespace
}  // namespace zu
