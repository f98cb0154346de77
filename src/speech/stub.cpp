// Placeholders until the eSpeak NG engine lands: silent speech.
#include "speech/speech_engine.h"
#include "speech/voice_prompt.h"

namespace zu {
namespace {
class SilentEngine final : public SpeechEngine {
public:
    void Stop() override {}
    void SetRate(int) override {}
    void Speak(std::string_view) override {}
};
std::unique_ptr<SpeechEngine>& Slot() {
    static std::unique_ptr<SpeechEngine> engine = std::make_unique<SilentEngine>();
    return engine;
}
bool g_soundOff = false;
}  // namespace
SpeechEngine& Speech() { return *Slot(); }
void InstallSpeechEngine(std::unique_ptr<SpeechEngine> engine) { Slot() = std::move(engine); }
std::unique_ptr<SpeechEngine> CreateEspeakEngine() { return std::make_unique<SilentEngine>(); }
void VoicePrompt(std::string_view gbk) {
    if (g_soundOff) return;
    Speech().Stop();
    Speech().SetRate(1);
    if (!gbk.empty()) Speech().Speak(gbk);
}
bool SoundOff() { return g_soundOff; }
void SetSoundOff(bool off) { g_soundOff = off; }
}  // namespace zu
