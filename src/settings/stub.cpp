// Placeholders until the registry file lands: nothing is stored.
#include <unistd.h>

#include <filesystem>
#include <mutex>

#include "settings/config.h"
#include "settings/paths.h"
#include "settings/registry.h"
#include "settings/settings_store.h"

namespace zu {
std::string RegistryReadText(RegistryRoot, std::string_view) { return {}; }
void RegistryWriteText(RegistryRoot, std::string_view, std::string_view) {}
void RegistryDelete(RegistryRoot, std::string_view) {}
std::string ReadSetting(std::string_view name) {
    return RegistryReadText(RegistryRoot::LocalMachine, "SOFTWARE\\" + std::string(name));
}
void WriteSetting(std::string_view name, std::string_view value) {
    RegistryWriteText(RegistryRoot::LocalMachine, "SOFTWARE\\" + std::string(name), value);
}
namespace {
ServiceConfig g_config;
std::string g_runDirectory;
}  // namespace
ServiceConfig ReadServiceConfig() { return {}; }
const ServiceConfig& Config() { return g_config; }
void SetConfig(ServiceConfig config) { g_config = std::move(config); }
std::string RunDirectory() {
    if (g_runDirectory.empty()) {
        std::error_code ec;
        g_runDirectory = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string();
    }
    return g_runDirectory;
}
void SetRunDirectory(std::string directory) { g_runDirectory = std::move(directory); }
}  // namespace zu
