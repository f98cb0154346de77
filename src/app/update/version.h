// The program's own version and where the publisher announces the current one.
#pragma once

#include <string>
#include <string_view>

namespace zu {

// The version of this program (and of the updater carried with it). It is
// compared with the published version as text, byte for byte, never as a number.
inline constexpr std::string_view kVersionTag = "1.0";

// Appended to the configured "UpdateServer" base address.
inline constexpr std::string_view kUpdatePagePath = "/743724/index.asp?xAction=xReadNews&NewsID=4";

// The version the update page announces between "@@" and "##". Empty when no
// update server is configured (nothing is fetched then), when the page cannot be
// fetched, or when a marker is missing: empty means "unknown".
std::string ReadPublishedVersion(std::string_view updateServer);

}  // namespace zu
