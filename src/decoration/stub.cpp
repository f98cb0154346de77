// Placeholders until the skin and the picture buttons land.
#include "decoration/decoration.h"

namespace zu {
void LoadSkinLibraries() {}
void AttachSkin(QWidget*) {}
void SetupWindowImageButtons(QWidget*) {}
void SetHelpToggleImages(QWidget*, bool) {}
void SetVoiceStatusImage(QWidget*, bool) {}
}  // namespace zu
