// The program's registry: roots, keys and typed values kept per user in one
// REGEDIT4 text file ($XDG_CONFIG_HOME/ZuZIvi/registry.reg, GBK).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zu {

enum class RegistryRoot { LocalMachine, CurrentUser };

// `path` is key path + "\\" + value name, split at its last backslash (walked as
// GBK). A string value is returned as its text, an expandable string expanded;
// anything else, or nothing, gives an empty text.
std::string RegistryReadText(RegistryRoot root, std::string_view path);
// Stores a REG_SZ value, creating the key when needed. Failures are silent.
void RegistryWriteText(RegistryRoot root, std::string_view path, std::string_view text);
// Deletes the value; when there is none, deletes the key named by the whole path
// if it has no subkeys. Failures are silent.
void RegistryDelete(RegistryRoot root, std::string_view path);

// The names of the keys directly under `keyPath` ("SOFTWARE\\ZuZIvi"; empty for
// the root), as they are spelled in the store.
std::vector<std::string> RegistrySubkeys(RegistryRoot root, std::string_view keyPath);

// The file that holds the registry of this user (it need not exist yet):
// $XDG_CONFIG_HOME/ZuZIvi/registry.reg, or ~/.config/ZuZIvi/registry.reg.
std::string RegistryFilePath();

}  // namespace zu
