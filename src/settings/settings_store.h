// The user's saved entries: string values under HKEY_LOCAL_MACHINE\SOFTWARE.
#pragma once

#include <string>
#include <string_view>

namespace zu {

std::string ReadSetting(std::string_view name);
void WriteSetting(std::string_view name, std::string_view value);

}  // namespace zu
