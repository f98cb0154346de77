#include "speech/voice_check.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <algorithm>
#include <optional>

#include "app/controls.h"
#include "decoration/decoration.h"
#include "settings/registry.h"
#include "speech/espeak_engine.h"
#include "web/text.h"

namespace zu {
namespace {

constexpr auto LM = RegistryRoot::LocalMachine;
constexpr auto CU = RegistryRoot::CurrentUser;

std::string TokensKey() { return std::string(kVoiceTokensKey); }

std::string TokenName(const EspeakVoice& voice) {
    std::string id = voice.identifier;
    std::replace(id.begin(), id.end(), '/', '-');
    return std::string(kEspeakTokenPrefix) + Utf8ToGbk(id);
}

std::string TokenIdOf(std::string_view tokenName) {
    return "HKEY_LOCAL_MACHINE\\" + TokensKey() + "\\" + std::string(tokenName);
}

bool IsOurToken(std::string_view keyName) {
    return text::Find(keyName, kEspeakTokenPrefix, 1, text::Case::Fold) == 1;
}

void RemoveOurTokensExcept(std::string_view keep) {
    for (const auto& name : RegistrySubkeys(LM, TokensKey())) {
        if (!IsOurToken(name) || text::ToLowerAscii(name) == text::ToLowerAscii(keep)) continue;
        RegistryDelete(LM, TokensKey() + "\\" + name);
    }
}

bool DefaultTokenIsOurs() {
    const auto current = RegistryReadText(CU, kDefaultTokenIdPath);
    return text::Find(current, TokenIdOf(kEspeakTokenPrefix), 1, text::Case::Fold) == 1;
}

class LinkPressWatcher : public QObject {
public:
    LinkPressWatcher(QWidget* window, QObject* link) : QObject(link), window_(window) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            CheckVoiceSupport(window_);
        return false;
    }

private:
    QWidget* window_;
};

}  // namespace

void RemoveMSSamVoiceEntry() { RegistryDelete(LM, "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\MSSam"); }

bool VoicesAvailable() {
    return RegistryReadText(LM, "SOFTWARE\\Microsoft\\Speech\\Voices\\tokens\\ScanSoftMei-Ling_Full_22kHz\\407") ==
               "804" ||
           !RegistryReadText(LM, "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\MS-Lili-2052-20-DSK\\CLSID").empty() ||
           !RegistryReadText(LM, "SOFTWARE\\Microsoft\\Speech\\Voices\\tokens\\MS-Anna-1033-20-DSK\\CLSID").empty() ||
           !RegistryReadText(CU, kDefaultTokenIdPath).empty();
}

void CheckVoiceSupport(QWidget* window) {
    const bool available = VoicesAvailable();
    if (auto* link = Control<QWidget>(window, "超级链接框20")) {
        const auto caption = ToQString(available ? "您的语音支持库已安装！" : "您的语音支持库未安装！");
        if (auto* label = qobject_cast<QLabel*>(link))
            label->setText(caption);
        else if (auto* button = qobject_cast<QAbstractButton*>(link))
            button->setText(caption);
        QPalette palette = link->palette();
        const QColor colour = available ? QColor(0, 255, 0) : QColor(255, 0, 0);
        for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) palette.setColor(role, colour);
        link->setPalette(palette);
    }
    SetVoiceStatusImage(window, available);
}

void SyncVoiceRegistry() { SyncVoiceRegistry(EspeakNgStatus()); }

void SyncVoiceRegistry(const EspeakStatus& status) {
    const auto& voice = status.chosen;
    if (!status.started || !voice) {
        RemoveOurTokensExcept({});
        if (DefaultTokenIsOurs()) RegistryDelete(CU, kDefaultTokenIdPath);
        return;
    }
    const auto token = TokenName(*voice);
    RemoveOurTokensExcept(token);
    const auto key = TokensKey() + "\\" + token + "\\";
    RegistryWriteText(LM, key, Utf8ToGbk(voice->name));
    RegistryWriteText(LM, key + "Identifier", Utf8ToGbk(voice->identifier));
    RegistryWriteText(LM, key + "Language", Utf8ToGbk(voice->language));
    RegistryWriteText(LM, key + "Vendor", "eSpeak NG");
    RegistryWriteText(CU, kDefaultTokenIdPath, TokenIdOf(token));
}

void InstallVoiceCheckLink(QWidget* window) {
    if (auto* link = Control<QWidget>(window, "超级链接框20")) link->installEventFilter(new LinkPressWatcher(window, link));
}

}  // namespace zu
