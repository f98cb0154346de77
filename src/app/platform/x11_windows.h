// Top-level windows of the X server in use, through libX11 loaded at run time
// (the program runs without it, and without an X server).
#pragma once

#include <sys/types.h>

#include <string_view>
#include <vector>

namespace zu {

// The processes that own a top-level window titled `gbkTitle` (letter case
// ignored), in the window manager's client order. Empty when no X display is
// in use (no DISPLAY, or QT_QPA_PLATFORM=offscreen) or libX11 is missing.
std::vector<pid_t> X11WindowOwners(std::string_view gbkTitle);

}  // namespace zu
