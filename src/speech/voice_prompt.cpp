#include "speech/voice_prompt.h"

#include <atomic>

#include "speech/speech_engine.h"

namespace zu {
namespace {
// Written on the GUI thread, read by every thread that speaks.
std::atomic<bool> g_soundOff{false};
}  // namespace

void VoicePrompt(std::string_view gbk) {
    if (g_soundOff.load()) return;
    auto& engine = Speech();
    engine.Stop();
    engine.SetRate(1);
    if (!gbk.empty()) engine.Speak(gbk);
}

bool SoundOff() { return g_soundOff.load(); }
void SetSoundOff(bool off) { g_soundOff.store(off); }

}  // namespace zu
