#include "decoration/decoration.h"

namespace zu {
void SetupWindowImageButtons(QWidget*) {}
void SetHelpToggleImages(QWidget*, bool) {}
void SetVoiceStatusImage(QWidget*, bool) {}
}  // namespace zu
