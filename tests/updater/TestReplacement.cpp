#include <elf.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "run_directory.h"
#include "updater/replacement.h"

namespace zu {
namespace {

using test::RunDirectory;
using test::StandInBytes;

std::string WithByte(std::string bytes, std::size_t at, unsigned char value) {
    bytes[at] = static_cast<char>(value);
    return bytes;
}

struct ElfCase {
    const char* name;
    std::string bytes;
    bool executable;
};

class ExecutableCheckTest : public ::testing::TestWithParam<ElfCase> {};

TEST_P(ExecutableCheckTest, AcceptsOnlyProgramsOfThisSystem) {
    RunDirectory dir;
    const std::string path = dir.File("candidate");
    test::WriteWholeFile(path, GetParam().bytes);
    EXPECT_EQ(IsExecutableForThisSystem(path), GetParam().executable);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ExecutableCheckTest,
    ::testing::Values(
        ElfCase{"StandInProgram", StandInBytes("new"), true},
        ElfCase{"ExecutableType", WithByte(StandInBytes("new"), EI_NIDENT, ET_EXEC), true},
        ElfCase{"HtmlPage", "<html><body>404 Not Found</body></html>", false},
        ElfCase{"Empty", "", false},
        ElfCase{"MagicOnly", "\x7f" "ELF\x02\x01\x01", false},
        ElfCase{"OtherMachine", WithByte(StandInBytes("new"), EI_NIDENT + 2, EM_ARM), false},
        ElfCase{"OtherClass", WithByte(StandInBytes("new"), EI_CLASS, ELFCLASS32), false},
        ElfCase{"OtherByteOrder", WithByte(StandInBytes("new"), EI_DATA, ELFDATA2MSB), false},
        ElfCase{"ObjectFile", WithByte(StandInBytes("new"), EI_NIDENT, ET_REL), false},
        ElfCase{"CoreDump", WithByte(StandInBytes("new"), EI_NIDENT, ET_CORE), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExecutableCheckTest, MissingFileIsNoProgram) {
    EXPECT_FALSE(IsExecutableForThisSystem("/nonexistent/zu/program"));
}

struct InstallCase {
    const char* name;
    const char* oldMark;  // "" when no old program file exists
    std::string newBytes;
    bool staleBackup;
    InstallResult result;
    const char* markAfter;                 // what the program file is afterwards
    std::vector<std::string> startedLog;  // the stand-ins that started
};

class InstallTest : public ::testing::TestWithParam<InstallCase> {};

TEST_P(InstallTest, LeavesARunnableProgramInPlace) {
    const InstallCase& c = GetParam();
    RunDirectory dir;
    if (*c.oldMark) dir.InstallProgram(c.oldMark);
    if (c.staleBackup) test::WriteWholeFile(dir.programPath() + ".backup", "stale");
    const std::string download = dir.programPath() + ".download";
    test::WriteWholeFile(download, c.newBytes, 0600);

    EXPECT_EQ(InstallNewProgram(download, dir.programPath(), std::chrono::milliseconds(500)), c.result);

    EXPECT_EQ(dir.CheckProgram(), c.markAfter);
    // The program file is left with its run bits for everyone allowed to run it.
    EXPECT_EQ(std::filesystem::status(dir.programPath()).permissions() & std::filesystem::perms::owner_exec,
              std::filesystem::perms::owner_exec);
    EXPECT_FALSE(std::filesystem::exists(dir.programPath() + ".backup"));
    for (int i = 0; i < 100 && dir.StartedLog().size() < c.startedLog.size(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(dir.StartedLog(), c.startedLog);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InstallTest,
    ::testing::Values(
        InstallCase{"NewProgramStarts", "old", StandInBytes("new"), false, InstallResult::Started, "new", {"new"}},
        InstallCase{"StaleBackupIsReplaced", "old", StandInBytes("new"), true, InstallResult::Started, "new", {"new"}},
        InstallCase{"NoOldProgram", "", StandInBytes("new"), false, InstallResult::Started, "new", {"new"}},
        // A header that passes the check but a file the system cannot run.
        InstallCase{"NewFileCannotRun", "old", StandInBytes("new").substr(0, 64), false, InstallResult::NotStarted,
                    "old", {}},
        InstallCase{"NewProgramFailsAtOnce", "old", StandInBytes("broken"), false, InstallResult::NotStarted, "old",
                    {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WaitUntilEndedTest, ReturnsOnceTheProgramHasEnded) {
    RunDirectory dir;
    dir.InstallProgram("old");
    const pid_t pid = dir.StartWaitingProgram();
    ASSERT_GT(pid, 0);
    std::atomic<bool> killed{false};
    std::thread killer([pid, &killed] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        killed = true;
        kill(pid, SIGKILL);
    });
    WaitUntilEnded(dir.programName(), std::chrono::seconds(60));
    const bool waitedForTheEnd = killed;
    killer.join();
    EXPECT_TRUE(waitedForTheEnd);
    EXPECT_TRUE(RunDirectory::WasEnded(pid));
}

}  // namespace
}  // namespace zu
