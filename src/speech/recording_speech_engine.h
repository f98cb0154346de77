// A speech engine for tests: it says nothing and records every call, in order,
// from any thread.
#pragma once

#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "speech/speech_engine.h"

namespace zu {

struct SpeechCall {
    enum class Kind { Stop, SetRate, Speak };
    Kind kind;
    int rate = 0;      // SetRate
    std::string text;  // Speak, GBK

    static SpeechCall Stopped() { return {Kind::Stop, 0, {}}; }
    static SpeechCall Rate(int rate) { return {Kind::SetRate, rate, {}}; }
    static SpeechCall Spoken(std::string gbk) { return {Kind::Speak, 0, std::move(gbk)}; }
    bool operator==(const SpeechCall&) const = default;
};

// "Stop", "SetRate(1)", "Speak(<text as UTF-8>)": readable in test failures.
std::string Describe(const SpeechCall& call);
inline std::ostream& operator<<(std::ostream& out, const SpeechCall& call) { return out << Describe(call); }

class RecordingSpeechEngine final : public SpeechEngine {
public:
    void Stop() override;
    void SetRate(int rate) override;
    void Speak(std::string_view gbk) override;

    std::vector<SpeechCall> Calls() const;
    // The texts given to Speak, in order.
    std::vector<std::string> SpokenTexts() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<SpeechCall> calls_;
};

// Installs a fresh recording engine as the process's engine and returns it; it
// stays valid until another engine is installed.
RecordingSpeechEngine& InstallRecordingSpeechEngine();

}  // namespace zu
