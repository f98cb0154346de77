// The process-wide speech engine: eSpeak NG in the program, a recording engine
// in tests, a silent one when eSpeak NG cannot start.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace zu {

class SpeechEngine {
public:
    virtual ~SpeechEngine() = default;
    // Discards everything being said or queued.
    virtual void Stop() = 0;
    // Rate on the scale -10 to 10, 0 being normal.
    virtual void SetRate(int rate) = 0;
    // Queues GBK text and returns before speaking ends.
    virtual void Speak(std::string_view gbk) = 0;
};

// The engine in use; a silent one until another is installed.
SpeechEngine& Speech();
void InstallSpeechEngine(std::unique_ptr<SpeechEngine> engine);

// eSpeak NG with the first Chinese voice; a silent engine when it cannot start.
std::unique_ptr<SpeechEngine> CreateEspeakEngine();

}  // namespace zu
