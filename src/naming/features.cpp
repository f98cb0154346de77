#include "naming/features.h"

#include <QAbstractButton>
#include <QProgressBar>
#include <random>

#include "app/controls.h"
#include "naming/naming.h"
#include "naming/naming_run.h"
#include "speech/voice_prompt.h"

namespace zu::naming {
namespace {

constexpr int kFullPosition = 10000;

std::function<BlendChoices()>& BlendSource() {
    static std::function<BlendChoices()> source = [] {
        static std::mt19937 random{std::random_device{}()};
        return DrawBlendChoices(random);
    };
    return source;
}

// The success ending's last steps, shared by the three pages: the bar full
// and the label at maximum + 5 on both sides.
void ShowFullProgress(QWidget* window, const FeaturePoints& f) {
    SetBarPosition(Control<QProgressBar>(window, f.progressBar), kFullPosition);
    SetFinishedLabel(window, f.overlayLabel, f.progressBar);
}

// ---- Page 1: baby naming -------------------------------------------------

const std::vector<std::string_view> kBabyInputs = {"组合框1", "组合框2", "组合框3", "组合框4",
                                                   "组合框5", "组合框6", "按钮2"};

FeaturePoints BabyPoints(bool twoCharacters) {
    FeaturePoints f;
    f.surnameBox = "组合框1";
    f.settings = {{"Zu", "组合框1"}, {"Zu4", "组合框22"}};
    f.pane = "超文本浏览框1";
    f.overlayPicture = "图片框4";
    f.overlayLabel = "标签1";
    f.progressBar = "进度条1";
    f.runButton = "按钮2";
    f.countBox = "组合框22";
    f.lockSet = {"组合框1", "组合框2", "组合框3", "组合框4", "组合框5",
                 "组合框6", "组合框22", "单选框1", "单选框2", "按钮2"};
    f.releaseSet = kBabyInputs;
    f.queryBoxes = {"组合框1", "组合框2", "组合框3", "组合框4", "组合框5", "组合框6"};
    f.rules = twoCharacters ? TwoCharacterRules() : ThreeCharacterRules();
    f.speaksBatchFailure = true;
    f.successFinish = [f = f](QWidget* window) {
        SetVisible(window, {"图片框4", "标签1"}, false);
        SetEnabled(window, {"超文本浏览框1"}, true);
        RestoreBabyInputs(window);
        VoicePrompt("取名完毕！");
        SetEnabled(window, kBabyInputs, true);
        SetCaption(window, "按钮2", "重新取名");
        ShowFullProgress(window, f);
    };
    f.endStep = [](QWidget* window) {
        RestoreBabyInputs(window);
        SetVisible(window, {"图片框4", "标签1"}, false);
    };
    return f;
}

// ---- Page 7: generation-character naming --------------------------------

const std::vector<std::string_view> kGenerationControls = {
    "组合框24", "组合框25", "组合框13", "组合框12", "组合框11", "组合框10",
    "组合框9",  "组合框8",  "单选框8",  "单选框7",  "按钮28"};

FeaturePoints GenerationPoints(QWidget* window) {
    FeaturePoints f;
    f.surnameBox = "组合框24";
    f.settings = {{"Zubf1", "组合框24"}, {"Zubf2", "组合框25"}, {"Zubf3", "组合框8"}};
    f.pane = "超文本浏览框5";
    f.overlayPicture = "图片框15";
    f.overlayLabel = "标签4";
    f.progressBar = "进度条3";
    f.runButton = "按钮28";
    f.countBox = "组合框8";
    f.lockSet = kGenerationControls;
    f.releaseSet = kGenerationControls;
    f.queryBoxes = {"组合框24", "组合框13", "组合框12", "组合框11", "组合框10", "组合框9"};
    // The generation character is read as each name is made.
    f.rules = {false, [window](const std::string& decoded) {
                   return GenerationName(decoded, BoxText(window, "组合框25"));
               }};
    f.successFinish = [](QWidget* window) {
        VoicePrompt("取名完毕！");
        FinishGenerationRun(window);
    };
    f.endStep = FinishGenerationRun;
    return f;
}

// ---- Page 2: parent-child naming ----------------------------------------

const std::vector<std::string_view> kParentRelease = {"组合框19", "组合框18", "组合框17", "组合框16",
                                                      "组合框15", "组合框14", "按钮7"};

FeaturePoints ParentPoints(QWidget* window, bool twoCharacters) {
    FeaturePoints f;
    f.settings = {{"Zu1", "组合框19"}, {"Zu2", "组合框20"}, {"Zu3", "组合框21"}, {"Zu5", "组合框23"}};
    f.pane = "超文本浏览框2";
    f.overlayPicture = "图片框7";
    f.overlayLabel = "标签2";
    f.progressBar = "进度条2";
    f.runButton = "按钮7";
    f.countBox = "组合框23";
    f.progressOffset = 5;
    f.lockSet = {"组合框19", "组合框18", "组合框17", "组合框16", "组合框15",
                 "组合框14", "单选框3",  "单选框4",  "组合框23", "按钮7"};
    f.releaseSet = kParentRelease;
    f.queryBoxes = {"组合框19", "组合框18", "组合框17", "组合框16", "组合框15", "组合框14"};
    f.fetchText = true;
    // Surname, parents and sex are read as each candidate is blended.
    f.rules = {true, [window, twoCharacters](const std::string& decoded) {
                   const ParentInputs parents{BoxText(window, "组合框19"), BoxText(window, "组合框20"),
                                              BoxText(window, "组合框21"), BoxText(window, "组合框14")};
                   const std::string full = BlendParentCharacter(decoded, parents, BlendSource()());
                   return twoCharacters ? TwoCharacterName(full) : full;
               }};
    f.speaksBatchFailure = true;
    f.successFinish = [f = f](QWidget* window) {
        SetVisible(window, {"图片框7", "标签2"}, false);
        SetEnabled(window, {"超文本浏览框2"}, true);
        FinishParentChildPage(window);
        VoicePrompt("取名完毕！");
        SetBarPosition(Control<QProgressBar>(window, "进度条2"), kFullPosition);
        SetEnabled(window, kParentRelease, true);
        SetCaption(window, "按钮7", "重新取名");
        SetFinishedLabel(window, "标签2", "进度条2");
        ApplySexToParentBoxes(window);
    };
    f.endStep = [](QWidget* window) {
        FinishParentChildPage(window);
        ApplySexToParentBoxes(window);
    };
    return f;
}

}  // namespace

void RestoreBabyInputs(QWidget* window) {
    SetEnabled(window, {"组合框1", "组合框2", "组合框3", "组合框4", "组合框5", "组合框6", "单选框1", "单选框2",
                        "按钮2", "组合框22"},
               true);
    SetCaption(window, "按钮2", "重新取名");
}

void StartBabyNaming(QWidget* window) {
    if (ListRunActive()) return;
    ListRunScope scope;
    RunWithRetries([window] { return NamingRun(window, BabyPoints(Checked(window, "单选框1"))); });
}

void FinishGenerationRun(QWidget* window) {
    SetEnabled(window, {"组合框25", "组合框24", "组合框13", "组合框12", "组合框11", "组合框10", "组合框9",
                        "组合框8", "按钮28"},
               true);
    SetVisible(window, {"图片框15", "标签4"}, false);
    SetEnabled(window, {"超文本浏览框5"}, true);
    SetCaption(window, "按钮28", "重新取名");
    SetBarPosition(Control<QProgressBar>(window, "进度条3"), kFullPosition);
    SetFinishedLabel(window, "标签4", "进度条3");
}

void StartGenerationNaming(QWidget* window) {
    if (ListRunActive()) return;
    ListRunScope scope;
    RunWithRetries([window] { return NamingRun(window, GenerationPoints(window)); });
}

bool ParentEntryCheck(QWidget* window) {
    const bool boy = BoxText(window, "组合框14") == "男";
    const bool filled =
        !BoxText(window, "组合框19").empty() && !BoxText(window, boy ? "组合框20" : "组合框21").empty();
    if (!filled) {
        VoicePrompt("重要信息·不能为空·请输入·");
        return false;
    }
    SetEnabled(window, {"组合框21", "组合框20"}, false);
    return true;
}

void FinishParentChildPage(QWidget* window) {
    SetEnabled(window, kParentRelease, true);
    SetVisible(window, {"图片框7", "标签2"}, false);
    SetEnabled(window, {"单选框3", "单选框4", "组合框23"}, true);
    SetCaption(window, "按钮7", "重新取名");
}

void StartParentChildNaming(QWidget* window) {
    if (ListRunActive()) return;
    ListRunScope scope;
    bool retried = false;
    RunWithRetries([window, &retried] {
        RunEnd end = RunEnd::Done;
        if (Checked(window, "单选框3") && ParentEntryCheck(window)) end = NamingRun(window, ParentPoints(window, true));
        if (end == RunEnd::Done && Checked(window, "单选框4") && ParentEntryCheck(window))
            end = NamingRun(window, ParentPoints(window, false));
        retried = retried || end == RunEnd::Retry;
        return end;
    });
    // A run started by a retry ends with the parent-name boxes matching the sex.
    if (retried) ApplySexToParentBoxes(window);
}

void SetBlendChoiceSource(std::function<BlendChoices()> source) { BlendSource() = std::move(source); }

}  // namespace zu::naming
