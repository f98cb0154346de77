// The window skin: the two mapped instances of the skin library, the host
// functions the library calls back, and the two calls the program makes.
#pragma once

#include <cstdint>
#include <span>

#include "decoration/pe_loader.h"

class QWidget;

namespace zu {

// The name under which the host offers its functions to the skin library.
inline constexpr char kSkinHostLibrary[] = "zuhost.dll";

// The process-wide instances: the one that holds the attached skin, and the
// one that skins title and menu bars.
InMemoryLibrary& SkinAttachInstance();
InMemoryLibrary& TitleBarInstance();

// Offers the host functions under kSkinHostLibrary (done by LoadSkinLibraries).
void RegisterSkinHost();

// SkinH_AttachRes of the attach instance with the skin, its length, the
// password (null for none) and the hue, saturation and brightness shifts.
// Skipped when the instance has no image or no such export.
void AttachEmbeddedSkin(std::span<const std::uint8_t> skin, const char* password, int hue,
                        int saturation, int brightness);
// SkinH_SetTitleMenuBar(window handle, 1, 0, 0, 0) of the title-bar instance.
void EnableSkinTitleMenuBar(QWidget* window);

// The opaque handle the skin library receives for a window, and back. A
// handle of a window that is gone maps to null.
std::uint64_t SkinWindowHandle(QWidget* window);
QWidget* SkinWindowFromHandle(std::uint64_t handle);

}  // namespace zu
