// VoicePrompt over the engine interface, and the eSpeak NG engine itself.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "speech/espeak_engine.h"
#include "speech/recording_speech_engine.h"
#include "speech/speech_engine.h"
#include "speech/voice_prompt.h"

namespace zu {
namespace {

using ::testing::ElementsAreArray;

struct PromptCase {
    const char* label;
    bool soundOff;
    std::vector<std::string> prompts;
    std::vector<SpeechCall> expected;
};

class VoicePromptCalls : public ::testing::TestWithParam<PromptCase> {};

TEST_P(VoicePromptCalls, StopRateOneThenSpeakUnlessSoundIsOff) {
    auto& engine = InstallRecordingSpeechEngine();
    SetSoundOff(GetParam().soundOff);
    for (const auto& p : GetParam().prompts) VoicePrompt(p);
    EXPECT_THAT(engine.Calls(), ElementsAreArray(GetParam().expected));
    SetSoundOff(false);
}

const auto kStop = SpeechCall::Stopped();
const auto kRate1 = SpeechCall::Rate(1);

INSTANTIATE_TEST_SUITE_P(
    Prompts, VoicePromptCalls,
    ::testing::Values(
        PromptCase{"spoken", false, {"取名完毕！"}, {kStop, kRate1, SpeechCall::Spoken("取名完毕！")}},
        PromptCase{"emptyOnlyStops", false, {""}, {kStop, kRate1}},
        PromptCase{"eachCutsTheOneBefore", false, {"一", "二"},
                   {kStop, kRate1, SpeechCall::Spoken("一"), kStop, kRate1, SpeechCall::Spoken("二")}},
        PromptCase{"soundOffTouchesNothing", true, {"一", ""}, {}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(VoicePrompt, PromptsFromSeveralThreadsAreAllRecordedWhole) {
    auto& engine = InstallRecordingSpeechEngine();
    SetSoundOff(false);
    constexpr int kThreads = 4, kPrompts = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < kPrompts; ++i) VoicePrompt("公司");
        });
    for (auto& t : threads) t.join();
    const auto calls = engine.Calls();
    ASSERT_EQ(calls.size(), std::size_t{kThreads * kPrompts * 3});
    EXPECT_EQ(engine.SpokenTexts(), std::vector<std::string>(kThreads * kPrompts, "公司"));
}

TEST(SpeechEngineSlot, InstallingNothingLeavesASilentEngine) {
    InstallSpeechEngine(nullptr);
    Speech().Stop();
    Speech().SetRate(1);
    Speech().Speak("无声");
}

EspeakVoice Voice(std::string name, std::string language) { return {"x/" + language, std::move(name), language}; }

struct ChoiceCase {
    const char* label;
    std::vector<EspeakVoice> voices;
    std::optional<std::size_t> expected;
};

class ChineseVoiceChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChineseVoiceChoice, PicksTheVoiceToSpeakChineseWith) {
    EXPECT_EQ(ChooseChineseVoice(GetParam().voices), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Voices, ChineseVoiceChoice,
    ::testing::Values(
        // The voices of eSpeak NG 1.51 in the order it lists them.
        ChoiceCase{"espeakNg",
                   {Voice("English (Great Britain)", "en"), Voice("Chinese (Mandarin, latin as English)", "cmn"),
                    Voice("Chinese (Mandarin, latin as Pinyin)", "cmn-latn-pinyin"), Voice("Hakka Chinese", "hak"),
                    Voice("Chinese (Cantonese)", "yue")},
                   1},
        ChoiceCase{"mandarinListedAfterCantonese",
                   {Voice("Chinese (Cantonese)", "yue"), Voice("CHINESE (Mandarin)", "cmn")}, 1},
        ChoiceCase{"onlyNonMandarinChinese", {Voice("English", "en"), Voice("Chinese (Cantonese)", "yue")}, 1},
        ChoiceCase{"nameInChinese", {Voice("English", "en"), Voice("\xE4\xB8\xAD\xE6\x96\x87 Voice", "zz")}, 1},
        ChoiceCase{"languageAloneIsNoMatch", {Voice("Mandarin", "cmn")}, std::nullopt},
        ChoiceCase{"none", {Voice("English", "en")}, std::nullopt},
        ChoiceCase{"empty", {}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(SpeakingRate, StepsOfAboutTenPercentAroundTheDefault) {
    const std::pair<int, int> cases[] = {{0, 175}, {1, 193}, {2, 212}, {-1, 159}, {-5, 109},
                                         {-10, 80}, {10, 450}, {-30, 80}, {30, 450}};
    for (auto [rate, wpm] : cases) EXPECT_EQ(WordsPerMinute(rate), wpm) << "rate " << rate;
}

// These need eSpeak NG and its data (espeak-ng-data), which the project installs.
TEST(EspeakNg, StartsWithTheMandarinVoice) {
    const auto& status = EspeakNgStatus();
    ASSERT_TRUE(status.started);
    ASSERT_TRUE(status.chosen.has_value());
    EXPECT_EQ(status.chosen->language, "cmn");
    EXPECT_EQ(status.chosen->identifier, "sit/cmn");
}

TEST(EspeakNg, EngineTakesEveryCallWithoutBlockingOrFailing) {
    auto engine = CreateEspeakEngine();
    engine->SetRate(1);
    engine->Speak("您的语音支持库已安装！这是一段较长的文字，用来检查停止是否立即生效。");
    engine->Stop();
    engine->SetRate(-10);
    engine->Speak("设置成功");
    engine->Stop();
    engine->Speak("");
    EXPECT_TRUE(EspeakNgStatus().started);
}

TEST(EspeakNg, WithoutItsDataTheEngineIsSilent) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // eSpeak NG looks for $ESPEAK_DATA_PATH/espeak-ng-data: here an empty folder.
            std::string folder = (std::filesystem::temp_directory_path() / "zu-espeak-XXXXXX").string();
            if (!mkdtemp(folder.data())) std::exit(2);
            std::filesystem::create_directory(folder + "/espeak-ng-data");
            setenv("ESPEAK_DATA_PATH", folder.c_str(), 1);
            auto engine = CreateEspeakEngine();
            engine->SetRate(1);
            engine->Speak("设置成功");
            engine->Stop();
            const auto& status = EspeakNgStatus();
            std::filesystem::remove_all(folder);
            std::exit(!status.started && status.voices.empty() && !status.chosen ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace zu
