#include "settings/settings_page.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <functional>

#include "app/controls.h"
#include "settings/settings_store.h"
#include "speech/voice_prompt.h"

namespace zu {
namespace {

// The check boxes of the settings page, all checked as laid out.
constexpr std::string_view kPageCheckBoxes[] = {"选择框1", "选择框4", "选择框5", "选择框7"};

void OnClick(QWidget* window, std::string_view name, std::function<void()> handler) {
    if (auto* button = Control<QAbstractButton>(window, name))
        QObject::connect(button, &QAbstractButton::clicked, button, [handler = std::move(handler)] { handler(); });
}

// Saves the page mode on every click, also on a radio that was already checked.
void SaveModeOnClick(QWidget* window, std::string_view radio, std::string_view setting, std::string_view value) {
    OnClick(window, radio, [setting, value] { WriteSetting(setting, value); });
}

// "确认": the sound switch is saved and applied. Turning the sound off first
// speaks an empty text while the sound is still on, which cuts off what is
// being said; the confirmation is then heard only with the sound on.
void Confirm(QWidget* window) {
    const auto* soundSwitch = Control<QCheckBox>(window, "选择框1");
    if (soundSwitch && soundSwitch->isChecked()) {
        WriteSetting("Zusy", "1");
        SetSoundOff(false);
    } else {
        WriteSetting("Zusy", "0");
        VoicePrompt("");
        SetSoundOff(true);
    }
    VoicePrompt("设置成功");
}

// "默认设置": the page's check boxes go back to their laid-out state (all
// checked). Like any change of the switch, it takes effect on "确认".
void RestoreDefaults(QWidget* window) {
    for (auto name : kPageCheckBoxes)
        if (auto* box = Control<QCheckBox>(window, name)) box->setChecked(true);
    VoicePrompt("恢复默认成功");
}

}  // namespace

void InstallSettingsPage(QWidget* window) {
    SaveModeOnClick(window, "单选框1", "Zums", "1");
    SaveModeOnClick(window, "单选框2", "Zums", "0");
    SaveModeOnClick(window, "单选框3", "Zums1", "1");
    SaveModeOnClick(window, "单选框4", "Zums1", "0");
    OnClick(window, "按钮22", [window] { Confirm(window); });
    OnClick(window, "按钮21", [window] { RestoreDefaults(window); });
    // "按钮23" (取消) has no action.
}

}  // namespace zu
