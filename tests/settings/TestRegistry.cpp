// The registry store over its REGEDIT4 file: what is written is read back, the
// file holds what a person would expect to read, unreadable files are kept
// aside, and a writer that dies mid-write never damages the file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

#include "ScopedConfigHome.h"
#include "settings/registry.h"
#include "settings/registry_file.h"
#include "web/codecs.h"

extern char** environ;

namespace zu {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

constexpr auto LM = RegistryRoot::LocalMachine;
constexpr auto CU = RegistryRoot::CurrentUser;

// "乗" is 81 5C in GBK: its second byte is a backslash.
const std::string kTrail5C = "乗";

class RegistryTest : public ::testing::Test {
protected:
    test::ScopedConfigHome home;

    // The value as the file itself holds it, read without the store's cache.
    std::optional<registry::Value> ValueInFile(std::string_view key, std::string_view name) const {
        registry::Data data;
        if (!registry::Parse(home.ReadRegistryFile(), data)) return std::nullopt;
        const auto it = data.keys.find(registry::Fold(key));
        if (it == data.keys.end()) return std::nullopt;
        const auto* v = it->second.Find(name);
        if (!v) return std::nullopt;
        return *v;
    }
};

TEST(RegistryTestData, TrailByteCharacterEndsInBackslash) { ASSERT_EQ(kTrail5C, "\x81\x5C"); }

struct RoundTripCase {
    const char* label;
    RegistryRoot root;
    std::string path;
    std::string value;
    std::string keyInFile;   // the key the value must land in
    std::string nameInFile;  // its value name there
};

class RegistryRoundTrip : public RegistryTest, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(RegistryRoundTrip, WrittenValueIsReadBackAndStandsInTheFile) {
    const auto& c = GetParam();
    RegistryWriteText(c.root, c.path, c.value);
    EXPECT_EQ(RegistryReadText(c.root, c.path), c.value);
    const auto inFile = ValueInFile(c.keyInFile, c.nameInFile);
    ASSERT_TRUE(inFile.has_value()) << home.ReadRegistryFile();
    EXPECT_EQ(inFile->type, registry::kTypeString);
    EXPECT_EQ(inFile->data, c.value + '\0');
    EXPECT_EQ(inFile->name, c.nameInFile);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegistryRoundTrip,
    ::testing::Values(
        RoundTripCase{"ascii", LM, "SOFTWARE\\Zums", "1", "HKEY_LOCAL_MACHINE\\SOFTWARE", "Zums"},
        RoundTripCase{"gbk", LM, "SOFTWARE\\张三\\名字", "李四", "HKEY_LOCAL_MACHINE\\SOFTWARE\\张三", "名字"},
        RoundTripCase{"escapes", CU, "Software\\a\"b", "c:\\dir\\\"x\"\\", "HKEY_CURRENT_USER\\Software", "a\"b"},
        RoundTripCase{"trailByteKeyAndName", LM, "SOFTWARE\\" + kTrail5C + "\\值" + kTrail5C, "文" + kTrail5C + "\\",
                      "HKEY_LOCAL_MACHINE\\SOFTWARE\\" + kTrail5C, "值" + kTrail5C},
        RoundTripCase{"empty", LM, "SOFTWARE\\Zu", "", "HKEY_LOCAL_MACHINE\\SOFTWARE", "Zu"},
        RoundTripCase{"lineBreaks", LM, "SOFTWARE\\Zu", "a\r\nb\n", "HKEY_LOCAL_MACHINE\\SOFTWARE", "Zu"},
        RoundTripCase{"loneLeadByteAtEnd", LM, "SOFTWARE\\Zu", "x\x81", "HKEY_LOCAL_MACHINE\\SOFTWARE", "Zu"},
        RoundTripCase{"defaultValue", LM, "SOFTWARE\\Tokens\\", "voice", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tokens", ""},
        RoundTripCase{"directlyUnderRoot", CU, "Top", "t", "HKEY_CURRENT_USER", "Top"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(RegistryTest, PathIsSplitAtTheLastRealBackslash) {
    // The trail byte 0x5C of "乗" is no separator: "SOFTWARE\\乗" is the value
    // "乗" of SOFTWARE, not a value "" of a key "SOFTWARE\\\x81".
    RegistryWriteText(LM, "SOFTWARE\\" + kTrail5C, "x");
    EXPECT_THAT(RegistrySubkeys(LM, "SOFTWARE"), IsEmpty());
    EXPECT_TRUE(ValueInFile("HKEY_LOCAL_MACHINE\\SOFTWARE", kTrail5C).has_value()) << home.ReadRegistryFile();
    EXPECT_EQ(RegistryReadText(LM, "SOFTWARE\\" + kTrail5C), "x");
}

TEST_F(RegistryTest, NamesIgnoreLetterCaseAndKeepTheirFirstSpelling) {
    RegistryWriteText(LM, "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\Voice\\CLSID", "{1}");
    EXPECT_EQ(RegistryReadText(LM, "software\\microsoft\\speech\\voices\\tokens\\VOICE\\clsid"), "{1}");
    RegistryWriteText(LM, "SOFTWARE\\MICROSOFT\\speech\\voices\\tokens\\voice\\clsid", "{2}");
    EXPECT_EQ(RegistryReadText(LM, "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\Voice\\CLSID"), "{2}");
    const auto file = home.ReadRegistryFile();
    EXPECT_THAT(file, HasSubstr("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\Voice]\n\"CLSID\"=\"{2}\"\n"));
    EXPECT_THAT(RegistrySubkeys(LM, "Software\\Microsoft\\Speech\\Voices\\Tokens"), ElementsAre("Voice"));
}

TEST_F(RegistryTest, RootsAreSeparate) {
    RegistryWriteText(LM, "Software\\X", "machine");
    RegistryWriteText(CU, "Software\\X", "user");
    EXPECT_EQ(RegistryReadText(LM, "Software\\X"), "machine");
    EXPECT_EQ(RegistryReadText(CU, "Software\\X"), "user");
}

TEST_F(RegistryTest, FileIsReadableRegedit4Text) {
    RegistryWriteText(LM, "SOFTWARE\\Zu", "张");
    RegistryWriteText(LM, "SOFTWARE\\ZuZIvi\\Services\\ListEndpoint", "http://127.0.0.1:8080");
    EXPECT_EQ(home.ReadRegistryFile(),
              "REGEDIT4\n\n"
              "[HKEY_LOCAL_MACHINE]\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\"Zu\"=\"张\"\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ZuZIvi]\n\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\ZuZIvi\\Services]\n\"ListEndpoint\"=\"http://127.0.0.1:8080\"\n\n");
}

TEST_F(RegistryTest, MalformedPathsWriteNothing) {
    for (std::string path : {"SOFTWARE\\\\x", "\\\\x", "SOFTWARE\\a\nb\\x", "SOFTWARE\\x\x81"}) {
        RegistryWriteText(LM, path, "v");
        EXPECT_EQ(RegistryReadText(LM, path), "") << path;
    }
    EXPECT_FALSE(std::filesystem::exists(home.registryFile())) << home.ReadRegistryFile();
}

// Files written by hand or by another program: what each value reads as.
struct FileCase {
    const char* label;
    std::string file;
    std::string path;  // under HKEY_LOCAL_MACHINE
    std::string expected;
};

class RegistryReadsFile : public RegistryTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(RegistryReadsFile, ValueReadsAsExpected) {
    setenv("ZU_TEST_HOME", "/home/zu", 1);
    unsetenv("ZU_TEST_UNSET");
    home.WriteRegistryFile(GetParam().file);
    EXPECT_EQ(RegistryReadText(LM, GetParam().path), GetParam().expected);
    EXPECT_TRUE(std::filesystem::exists(home.registryFile())) << "a readable file stays in place";
}

const std::string kKey = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n";

INSTANTIATE_TEST_SUITE_P(
    Files, RegistryReadsFile,
    ::testing::Values(
        FileCase{"string", kKey + "\"Zu\"=\"王\"\n", "SOFTWARE\\Zu", "王"},
        FileCase{"escapedName", kKey + "\"q\\\"\"=\"x\\\"y\\\\\"\n", "SOFTWARE\\q\"", "x\"y\\"},
        FileCase{"trailByteUnescaped", kKey + "\"Zu\"=\"" + kTrail5C + "\"\n", "SOFTWARE\\Zu", kTrail5C},
        FileCase{"dwordIsNoText", kKey + "\"Zums\"=dword:00000001\n", "SOFTWARE\\Zums", ""},
        FileCase{"binaryIsNoText", kKey + "\"Zums\"=hex:31,00\n", "SOFTWARE\\Zums", ""},
        FileCase{"hexString", kKey + "\"Zums\"=hex(1):31,00\n", "SOFTWARE\\Zums", "1"},
        FileCase{"expandString", kKey + "\"P\"=hex(2):25,5a,55,5f,54,45,53,54,5f,48,4f,4d,45,25,2f,62,00\n",
                 "SOFTWARE\\P", "/home/zu/b"},
        FileCase{"expandUnknownStays", kKey + "\"P\"=hex(2):25,5a,55,5f,54,45,53,54,5f,55,4e,53,45,54,25,\\\n  00\n",
                 "SOFTWARE\\P", "%ZU_TEST_UNSET%"},
        FileCase{"multiStringIsNoText", kKey + "\"M\"=hex(7):61,00,62,00,00\n", "SOFTWARE\\M", ""},
        FileCase{"defaultValue", kKey + "@=\"d\"\n", "SOFTWARE\\", "d"},
        FileCase{"crlfAndComments", "REGEDIT4\r\n; note\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\"Zu\"=\"x\"\r\n",
                 "SOFTWARE\\Zu", "x"},
        FileCase{"lastOfTwoWins", kKey + "\"Zu\"=\"a\"\n\"zu\"=\"b\"\n", "SOFTWARE\\Zu", "b"},
        FileCase{"emptyFile", "", "SOFTWARE\\Zu", ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(RegistryTest, ChangesMadeByOthersAreSeen) {
    RegistryWriteText(LM, "SOFTWARE\\Zu", "old");
    EXPECT_EQ(RegistryReadText(LM, "SOFTWARE\\Zu"), "old");
    home.WriteRegistryFile(kKey + "\"Zu\"=\"new\"\n");
    EXPECT_EQ(RegistryReadText(LM, "SOFTWARE\\Zu"), "new");
    // A write starts from the file as it is now, keeping what others stored.
    RegistryWriteText(LM, "SOFTWARE\\Zu4", "100");
    EXPECT_EQ(RegistryReadText(LM, "SOFTWARE\\Zu"), "new");
}

class RegistryUnreadableFile : public RegistryTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(RegistryUnreadableFile, IsKeptAsideAndTheStoreStartsEmpty) {
    const auto& broken = GetParam();
    home.WriteRegistryFile(broken);
    EXPECT_EQ(RegistryReadText(LM, "SOFTWARE\\Zu"), "");
    const auto aside = home.registryFile() + ".unreadable";
    ASSERT_TRUE(std::filesystem::exists(aside));
    std::ifstream in(aside, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), broken);

    RegistryWriteText(LM, "SOFTWARE\\Zu", "fresh");
    EXPECT_EQ(RegistryReadText(LM, "SOFTWARE\\Zu"), "fresh");

    // A second unreadable file goes beside the first, which stays as it was.
    home.WriteRegistryFile(broken + "again");
    EXPECT_EQ(RegistryReadText(LM, "SOFTWARE\\Zu"), "");
    EXPECT_TRUE(std::filesystem::exists(aside + ".1"));
    std::ifstream first(aside, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(first), {}), broken);
}

INSTANTIATE_TEST_SUITE_P(
    Broken, RegistryUnreadableFile,
    ::testing::Values("not a registry\n", "REGEDIT4\n\"Zu\"=\"value before any key\"\n",
                      kKey + "\"Zu\"=\"unterminated\n", kKey + "\"Zu\"=dword:123456789\n",
                      kKey + "\"Zu\"=hex:3g\n", kKey + "\"Zu\"=hex:31,\\\n",
                      "REGEDIT4\n[HKEY_USERS\\S-1]\n", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\\\x]\n",
                      kKey + "Zu=1\n"));

struct DeleteCase {
    const char* label;
    std::string path;
    std::vector<std::string> valuesLeft;   // of key K
    std::vector<std::string> subkeysLeft;  // of key K
};

class RegistryDeletes : public RegistryTest, public ::testing::WithParamInterface<DeleteCase> {
protected:
    void SetUp() override {
        // K holds the values "V" and "Both"; its subkeys are "Both" and "Leaf"
        // (no subkeys) and "Branch" (with the subkey "Twig").
        RegistryWriteText(LM, "S\\K\\V", "1");
        RegistryWriteText(LM, "S\\K\\Both", "2");
        RegistryWriteText(LM, "S\\K\\Both\\x", "3");
        RegistryWriteText(LM, "S\\K\\Leaf\\x", "4");
        RegistryWriteText(LM, "S\\K\\Branch\\Twig\\x", "5");
    }
    std::vector<std::string> ValuesOfK() const {
        std::vector<std::string> names;
        for (std::string n : {"V", "Both"})
            if (ValueInFile("HKEY_LOCAL_MACHINE\\S\\K", n)) names.push_back(n);
        return names;
    }
};

TEST_P(RegistryDeletes, TheValueElseTheKeyWithoutSubkeys) {
    RegistryDelete(LM, GetParam().path);
    EXPECT_EQ(ValuesOfK(), GetParam().valuesLeft);
    EXPECT_EQ(RegistrySubkeys(LM, "S\\K"), GetParam().subkeysLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegistryDeletes,
    ::testing::Values(
        DeleteCase{"value", "S\\K\\V", {"Both"}, {"Both", "Branch", "Leaf"}},
        DeleteCase{"valueBeforeKeyOfTheSameName", "S\\K\\both", {"V"}, {"Both", "Branch", "Leaf"}},
        DeleteCase{"keyWithoutSubkeys", "S\\K\\Leaf", {"V", "Both"}, {"Both", "Branch"}},
        DeleteCase{"keyWithSubkeysStays", "S\\K\\Branch", {"V", "Both"}, {"Both", "Branch", "Leaf"}},
        DeleteCase{"nothingOfThatName", "S\\K\\None", {"V", "Both"}, {"Both", "Branch", "Leaf"}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(RegistryTest, DeletingAKeyTakesItsValues) {
    RegistryWriteText(LM, "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\MSSam\\CLSID", "{x}");
    RegistryDelete(LM, "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\MSSam\\CLSID");
    RegistryDelete(LM, "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\MSSam");
    EXPECT_THAT(RegistrySubkeys(LM, "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens"), IsEmpty());
    RegistryWriteText(LM, "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\MSSam\\Other", "y");
    RegistryDelete(LM, "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\MSSam");
    EXPECT_THAT(RegistrySubkeys(LM, "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens"), IsEmpty());
    EXPECT_EQ(RegistryReadText(LM, "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\MSSam\\Other"), "");
}

TEST(RegistryFilePath, FollowsXdgConfigHome) {
    test::ScopedConfigHome home;
    EXPECT_EQ(RegistryFilePath(), home.folder() + "/ZuZIvi/registry.reg");
    const std::string oldHome = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", "/home/someone", 1);
    for (const char* relative : {"", "relative/dir"}) {
        setenv("XDG_CONFIG_HOME", relative, 1);
        EXPECT_EQ(RegistryFilePath(), "/home/someone/.config/ZuZIvi/registry.reg") << relative;
    }
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(RegistryFilePath(), "/home/someone/.config/ZuZIvi/registry.reg");
    setenv("HOME", oldHome.c_str(), 1);
}

// Starts the writer child with the test hook that stops it after its temporary
// file is complete and before it renames it over the registry file.
pid_t StartStoppedWriter(const std::string& path, const std::string& value) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.emplace_back("ZU_REGISTRY_STOP_BEFORE_RENAME=1");
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = ZU_REGISTRY_WRITER;
    std::vector<char*> argv{program.data(), const_cast<char*>(path.c_str()), const_cast<char*>(value.c_str()),
                            nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
    return pid;
}

TEST_F(RegistryTest, WriterKilledBeforeRenameLeavesTheOldFileIntact) {
    RegistryWriteText(LM, "SOFTWARE\\Zu", "旧");
    const auto before = home.ReadRegistryFile();

    const pid_t child = StartStoppedWriter("SOFTWARE\\Zu", "new value");
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, WUNTRACED), child);
    ASSERT_TRUE(WIFSTOPPED(status)) << "the writer ended before reaching the rename";

    // The new content is complete in a temporary file beside the registry file.
    bool tempHoldsNewValue = false;
    for (const auto& entry : std::filesystem::directory_iterator(home.registryFolder())) {
        if (entry.path() == home.registryFile()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        tempHoldsNewValue |= std::string(std::istreambuf_iterator<char>(in), {}).find("new value") != std::string::npos;
    }
    EXPECT_TRUE(tempHoldsNewValue);

    kill(child, SIGKILL);
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));

    EXPECT_EQ(home.ReadRegistryFile(), before);
    EXPECT_EQ(RegistryReadText(LM, "SOFTWARE\\Zu"), "旧");
    RegistryWriteText(LM, "SOFTWARE\\Zu4", "100");
    EXPECT_EQ(RegistryReadText(LM, "SOFTWARE\\Zu"), "旧");
    EXPECT_EQ(RegistryReadText(LM, "SOFTWARE\\Zu4"), "100");
}

}  // namespace
}  // namespace zu
