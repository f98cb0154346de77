#include "speech/espeak_engine.h"

#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

#include "speech/speech_engine.h"
#include "web/codecs.h"

namespace zu {
namespace {

constexpr std::string_view kChinese = "chinese";
constexpr std::string_view kChineseInChinese = "\xE4\xB8\xAD\xE6\x96\x87";  // "中文" as UTF-8, as eSpeak names are

std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (auto& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool IsMandarin(std::string_view language) {
    return language == "cmn" || language == "zh" || language.starts_with("zh-") || language.starts_with("cmn-");
}

// The one place that talks to eSpeak NG. A worker thread starts it and then
// carries out the commands in order; Stop drops the speech still queued, so a
// new prompt never waits behind an old one.
class Runtime {
public:
    Runtime() : status_(ready_.get_future().share()), worker_([this] { Run(); }) {}

    ~Runtime() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
            ++generation_;
        }
        wake_.notify_all();
        worker_.join();
    }

    const EspeakStatus& Status() const { return status_.get(); }

    void Stop() {
        std::lock_guard lock(mutex_);
        std::erase_if(queue_, [](const Command& c) { return c.kind == Command::Speak; });
        queue_.push_back({Command::Stop, 0, {}});
        ++generation_;  // ends a synthesis in progress without an audio device
        wake_.notify_one();
    }

    void SetRate(int rate) { Push({Command::Rate, rate, {}}); }
    void Speak(std::string utf8) { Push({Command::Speak, 0, std::move(utf8)}); }

    // Called by eSpeak while it synthesises with no audio device: the samples
    // are dropped, and a Stop since the synthesis began ends it.
    static int DropSamples(short*, int, espeak_EVENT*) {
        auto* self = current_.load();
        return self && self->generation_.load() != self->synthGeneration_ ? 1 : 0;
    }

private:
    struct Command {
        enum Kind { Stop, Rate, Speak } kind;
        int rate;
        std::string text;
    };

    void Push(Command command) {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(command));
        wake_.notify_one();
    }

    EspeakStatus Start() {
        EspeakStatus status;
        espeak_ng_InitializePath(nullptr);  // the system's data, or $ESPEAK_DATA_PATH
        espeak_ng_ERROR_CONTEXT context = nullptr;
        if (espeak_ng_Initialize(&context) != ENS_OK) {
            espeak_ng_ClearErrorContext(&context);
            return status;
        }
        playback_ = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SPEAK_AUDIO, 0, nullptr) == ENS_OK;
        if (!playback_) {
            // No audio output: speak into nothing rather than not at all, so
            // that the rest of the program behaves the same.
            if (espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr) != ENS_OK) return status;
            espeak_SetSynthCallback(&Runtime::DropSamples);
        }
        status.started = true;
        if (const espeak_VOICE** voices = espeak_ListVoices(nullptr)) {
            for (; *voices; ++voices) {
                const auto* v = *voices;
                status.voices.push_back({v->identifier ? v->identifier : "", v->name ? v->name : "",
                                         v->languages && v->languages[0] ? v->languages + 1 : ""});
            }
        }
        if (const auto index = ChooseChineseVoice(status.voices)) {
            const auto& voice = status.voices[*index];
            if (espeak_SetVoiceByName(voice.identifier.c_str()) == EE_OK ||
                espeak_SetVoiceByName(voice.name.c_str()) == EE_OK)
                status.chosen = voice;
        }
        if (!status.chosen && espeak_SetVoiceByName("en") == EE_OK) {  // eSpeak's own default voice
            const auto en = std::find_if(status.voices.begin(), status.voices.end(),
                                         [](const EspeakVoice& v) { return v.language == "en"; });
            if (en != status.voices.end()) status.chosen = *en;
        }
        return status;
    }

    void Run() {
        current_.store(this);
        auto status = Start();
        const bool started = status.started;
        ready_.set_value(std::move(status));
        for (;;) {
            Command command;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return quit_ || !queue_.empty(); });
                if (quit_) break;
                command = std::move(queue_.front());
                queue_.pop_front();
                synthGeneration_ = generation_.load();
            }
            if (started) Carry(command);
        }
        if (started) {
            espeak_Cancel();
            espeak_Terminate();
        }
        current_.store(nullptr);
    }

    void Carry(const Command& command) {
        switch (command.kind) {
            case Command::Stop:
                if (playback_) espeak_Cancel();
                break;
            case Command::Rate:
                espeak_SetParameter(espeakRATE, WordsPerMinute(command.rate), 0);
                break;
            case Command::Speak:
                espeak_Synth(command.text.c_str(), command.text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                             nullptr, nullptr);
                break;
        }
    }

    static inline std::atomic<Runtime*> current_{nullptr};

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Command> queue_;
    bool quit_ = false;
    std::atomic<unsigned> generation_{0};
    unsigned synthGeneration_ = 0;  // the generation when the current command began
    bool playback_ = false;         // worker thread only
    std::promise<EspeakStatus> ready_;
    std::shared_future<EspeakStatus> status_;
    std::thread worker_;  // last: starts once everything above exists
};

Runtime& TheRuntime() {
    static Runtime runtime;
    return runtime;
}

class EspeakEngine final : public SpeechEngine {
public:
    EspeakEngine() { TheRuntime(); }
    void Stop() override { TheRuntime().Stop(); }
    void SetRate(int rate) override { TheRuntime().SetRate(rate); }
    void Speak(std::string_view gbk) override { TheRuntime().Speak(GbkToUtf8(gbk)); }
};

}  // namespace

const EspeakStatus& EspeakNgStatus() { return TheRuntime().Status(); }

std::optional<std::size_t> ChooseChineseVoice(const std::vector<EspeakVoice>& voices) {
    std::optional<std::size_t> first;
    for (std::size_t i = 0; i < voices.size(); ++i) {
        const auto name = LowerAscii(voices[i].name);
        if (name.find(kChinese) == std::string::npos && name.find(kChineseInChinese) == std::string::npos)
            continue;
        if (IsMandarin(LowerAscii(voices[i].language))) return i;
        if (!first) first = i;
    }
    return first;
}

int WordsPerMinute(int rate) {
    rate = std::clamp(rate, -10, 10);
    const double wpm = espeakRATE_NORMAL * std::pow(1.1, rate);
    return std::clamp(static_cast<int>(std::lround(wpm)), espeakRATE_MINIMUM, espeakRATE_MAXIMUM);
}

std::unique_ptr<SpeechEngine> CreateEspeakEngine() { return std::make_unique<EspeakEngine>(); }

}  // namespace zu
