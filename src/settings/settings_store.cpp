#include "settings/settings_store.h"

#include "settings/registry.h"

namespace zu {
namespace {
std::string SettingPath(std::string_view name) { return "SOFTWARE\\" + std::string(name); }
}  // namespace

std::string ReadSetting(std::string_view name) {
    return RegistryReadText(RegistryRoot::LocalMachine, SettingPath(name));
}

void WriteSetting(std::string_view name, std::string_view value) {
    RegistryWriteText(RegistryRoot::LocalMachine, SettingPath(name), value);
}

}  // namespace zu
