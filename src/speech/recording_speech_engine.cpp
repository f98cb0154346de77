#include "speech/recording_speech_engine.h"

#include "web/codecs.h"

namespace zu {

std::string Describe(const SpeechCall& call) {
    switch (call.kind) {
        case SpeechCall::Kind::Stop: return "Stop";
        case SpeechCall::Kind::SetRate: return "SetRate(" + std::to_string(call.rate) + ")";
        case SpeechCall::Kind::Speak: return "Speak(" + GbkToUtf8(call.text) + ")";
    }
    return "?";
}

void RecordingSpeechEngine::Stop() {
    std::lock_guard lock(mutex_);
    calls_.push_back(SpeechCall::Stopped());
}

void RecordingSpeechEngine::SetRate(int rate) {
    std::lock_guard lock(mutex_);
    calls_.push_back(SpeechCall::Rate(rate));
}

void RecordingSpeechEngine::Speak(std::string_view gbk) {
    std::lock_guard lock(mutex_);
    calls_.push_back(SpeechCall::Spoken(std::string(gbk)));
}

std::vector<SpeechCall> RecordingSpeechEngine::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<std::string> RecordingSpeechEngine::SpokenTexts() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> texts;
    for (const auto& c : calls_)
        if (c.kind == SpeechCall::Kind::Speak) texts.push_back(c.text);
    return texts;
}

void RecordingSpeechEngine::Clear() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

RecordingSpeechEngine& InstallRecordingSpeechEngine() {
    auto engine = std::make_unique<RecordingSpeechEngine>();
    auto& ref = *engine;
    InstallSpeechEngine(std::move(engine));
    return ref;
}

}  // namespace zu
