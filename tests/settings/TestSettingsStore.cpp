// The saved settings, the service configuration and the run directory on top
// of the registry.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "ScopedConfigHome.h"
#include "settings/config.h"
#include "settings/paths.h"
#include "settings/registry.h"
#include "settings/settings_store.h"

namespace zu {
namespace {

using ::testing::HasSubstr;

TEST(SettingsStore, ValuesLiveDirectlyInTheSoftwareKeyOfTheMachineRoot) {
    test::ScopedConfigHome home;
    WriteSetting("Zu", "张");
    WriteSetting("Zubf2", "世");
    EXPECT_EQ(ReadSetting("Zu"), "张");
    EXPECT_EQ(RegistryReadText(RegistryRoot::LocalMachine, "SOFTWARE\\Zubf2"), "世");
    EXPECT_EQ(RegistryReadText(RegistryRoot::CurrentUser, "SOFTWARE\\Zu"), "");
    EXPECT_THAT(home.ReadRegistryFile(), HasSubstr("[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\"Zu\"=\"张\"\n\"Zubf2\"=\"世\"\n"));
    EXPECT_EQ(ReadSetting("Zu1"), "");
}

TEST(SettingsStore, ANumberWrittenByAnotherProgramReadsAsEmpty) {
    test::ScopedConfigHome home;
    home.WriteRegistryFile("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\"Zums\"=dword:00000001\n");
    EXPECT_EQ(ReadSetting("Zums"), "");
    WriteSetting("Zums", "1");
    EXPECT_EQ(ReadSetting("Zums"), "1");
}

TEST(ServiceConfiguration, ReadsEveryValueAndDefaultsOnlyTheProductSite) {
    test::ScopedConfigHome home;
    auto config = ReadServiceConfig();
    EXPECT_EQ(config.listEndpoint, "");
    EXPECT_EQ(config.updateServer, "");
    EXPECT_EQ(config.productSite, kDefaultProductSite);

    home.WriteRegistryFile(
        "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\ZuZIvi\\Services]\n"
        "\"ListEndpoint\"=\"http://127.0.0.1:1\"\n\"CompanyEndpoint\"=\"http://127.0.0.1:2\"\n"
        "\"ScoringEndpoint\"=\"http://127.0.0.1:3\"\n\"ServiceSite\"=\"http://127.0.0.1:4\"\n"
        "\"ProductSite\"=\"www.product.example\"\n\"UpdateServer\"=\"http://127.0.0.1:5\"\n"
        "\"DownloadHost\"=\"http://127.0.0.1:6\"\n");
    config = ReadServiceConfig();
    EXPECT_EQ(config.listEndpoint, "http://127.0.0.1:1");
    EXPECT_EQ(config.companyEndpoint, "http://127.0.0.1:2");
    EXPECT_EQ(config.scoringEndpoint, "http://127.0.0.1:3");
    EXPECT_EQ(config.serviceSite, "http://127.0.0.1:4");
    EXPECT_EQ(config.productSite, "www.product.example");
    EXPECT_EQ(config.updateServer, "http://127.0.0.1:5");
    EXPECT_EQ(config.downloadHost, "http://127.0.0.1:6");

    RegistryWriteText(RegistryRoot::LocalMachine, "SOFTWARE\\ZuZIvi\\Services\\ProductSite", "");
    EXPECT_EQ(ReadServiceConfig().productSite, kDefaultProductSite);
}

TEST(RunDirectory, IsTheProgramFolderUnlessSetWithoutTrailingSlash) {
    EXPECT_EQ(RunDirectory(), std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
    SetRunDirectory("/tmp/zu-run/");
    EXPECT_EQ(RunDirectory(), "/tmp/zu-run");
    SetRunDirectory(std::filesystem::read_symlink("/proc/self/exe").parent_path().string());
}

}  // namespace
}  // namespace zu
