// The voice status corner and the registry entries of the voices.
#pragma once

class QWidget;

namespace zu {

// Start-up: removes the "MSSam" voice entry from the registry.
void RemoveMSSamVoiceEntry();
// True when the registry tests of the voice check find a voice.
bool VoicesAvailable();
// Fills the voice status corner of `window` ("超级链接框20" and "按钮26").
void CheckVoiceSupport(QWidget* window);

}  // namespace zu
