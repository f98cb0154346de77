// Prints how long the start-up waits for the speech engine: creating it (what
// start-up step 2 pays), the first prompt, and eSpeak NG's own start on its
// thread (what a caller of EspeakNgStatus() may wait for at most).
#include <chrono>
#include <cstdio>

#include "speech/espeak_engine.h"
#include "speech/speech_engine.h"
#include "speech/voice_prompt.h"

int main() {
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    const auto t0 = Clock::now();
    zu::InstallSpeechEngine(zu::CreateEspeakEngine());
    const auto t1 = Clock::now();
    zu::VoicePrompt("设置成功");
    const auto t2 = Clock::now();
    const auto& status = zu::EspeakNgStatus();
    const auto t3 = Clock::now();
    std::printf("create engine:      %8.3f ms\n", ms(t1 - t0));
    std::printf("first VoicePrompt:  %8.3f ms\n", ms(t2 - t1));
    std::printf("eSpeak NG started:  %8.3f ms after creation (%s, %zu voices, voice %s)\n", ms(t3 - t0),
                status.started ? "started" : "not started", status.voices.size(),
                status.chosen ? status.chosen->identifier.c_str() : "-");
    zu::VoicePrompt("");
    return 0;
}
