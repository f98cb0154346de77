// Everything the program says goes through VoicePrompt.
#pragma once

#include <string_view>

namespace zu {

// Speaks GBK text unless sound is off: stops what is being said, sets rate 1,
// speaks asynchronously. An empty text only stops the speech in progress.
void VoicePrompt(std::string_view gbk);

bool SoundOff();
void SetSoundOff(bool off);

}  // namespace zu
