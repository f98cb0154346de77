// Placeholder until the voice check lands.
#include "speech/voice_check.h"

namespace zu {
void RemoveMSSamVoiceEntry() {}
bool VoicesAvailable() { return false; }
void CheckVoiceSupport(QWidget*) {}
}  // namespace zu
