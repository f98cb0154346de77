// Processes of the same user, found in /proc (and by window title through X11).
#pragma once

#include <string_view>

namespace zu {

// Ends at most one process: the owner of a top-level window titled `name`
// (letter case ignored), else the first process whose executable name equals
// `name` (letter case ignored). True when one was ended.
bool EndProcessByName(std::string_view name);

// Ends this process at once with exit code 0, without any clean-up.
[[noreturn]] void EndOwnProcess();

}  // namespace zu
