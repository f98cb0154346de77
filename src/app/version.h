// The program's own version, compared by the update check with the published one.
#pragma once

namespace zu {

inline constexpr char kVersionTag[] = "1.0";

}  // namespace zu
