// eSpeak NG behind the speech engine interface.
//
// eSpeak NG is started once per process on a thread of its own, the first time
// CreateEspeakEngine() or EspeakNgStatus() is called, so that loading its data
// never holds up the caller. That thread also makes every eSpeak call, in the
// order the engine was asked, so the engine may be used from any thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zu {

struct EspeakVoice {
    std::string identifier;  // "sit/cmn"
    std::string name;        // "Chinese (Mandarin, latin as English)", UTF-8
    std::string language;    // the first language it speaks: "cmn"
};

struct EspeakStatus {
    bool started = false;               // eSpeak NG found its data and could start
    std::vector<EspeakVoice> voices;    // every voice it offers
    // The voice it speaks with: the Chinese voice, else its default English one.
    std::optional<EspeakVoice> chosen;
};

// Waits until eSpeak NG has started (or failed to) and tells what it offers.
const EspeakStatus& EspeakNgStatus();

// The index of the voice to speak Chinese with: among the voices whose name,
// lower-cased, contains "chinese" or "中文", the first for Mandarin ("cmn" or
// "zh"), else the first of them; none when no name matches.
std::optional<std::size_t> ChooseChineseVoice(const std::vector<EspeakVoice>& voices);

// eSpeak's words per minute for a rate on the scale -10 to 10: its default at
// 0, each step about 10 % faster or slower, within what eSpeak accepts.
int WordsPerMinute(int rate);

}  // namespace zu
