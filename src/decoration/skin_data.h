// The skin library image and the skin the program carries as constant data.
#pragma once

#include <cstdint>
#include <span>

namespace zu {

// The skin library, a 64-bit Windows DLL image mapped by InMemoryLibrary.
std::span<const std::uint8_t> SkinLibraryImage();
// The skin, in the skin library's own format beginning ".SHE".
std::span<const std::uint8_t> SkinData();

}  // namespace zu
