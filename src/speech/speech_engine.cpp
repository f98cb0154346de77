#include "speech/speech_engine.h"

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

}  // namespace

SpeechEngine& Speech() { return *Slot(); }

void InstallSpeechEngine(std::unique_ptr<SpeechEngine> engine) {
    Slot() = engine ? std::move(engine) : std::make_unique<SilentEngine>();
}

}  // namespace zu
