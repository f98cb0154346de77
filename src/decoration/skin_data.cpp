#include "decoration/skin_data.h"

extern "C" const unsigned char zu_skin_library_image[];
extern "C" const unsigned long long zu_skin_library_image_size;
extern "C" const unsigned char zu_skin_she[];
extern "C" const unsigned long long zu_skin_she_size;

namespace zu {

std::span<const std::uint8_t> SkinLibraryImage() {
    return {zu_skin_library_image, static_cast<std::size_t>(zu_skin_library_image_size)};
}

std::span<const std::uint8_t> SkinData() {
    return {zu_skin_she, static_cast<std::size_t>(zu_skin_she_size)};
}

}  // namespace zu
