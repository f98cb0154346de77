#include "naming/scoring.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QWebEngineView>

#include "app/controls.h"
#include "naming/pane.h"
#include "naming/page_texts.h"
#include "naming/scoring_texts.h"
#include "settings/config.h"
#include "settings/paths.h"
#include "speech/voice_prompt.h"
#include "web/codecs.h"
#include "web/fetch.h"

namespace zu::naming {

void ScoreFullName(QWidget* window, std::string_view fullName) {
    if (const auto parts = SplitFullName(fullName)) ScoreName(window, parts->first, parts->second);
}

void ScoreName(QWidget* window, std::string_view surname, std::string_view given) {
    const ServiceConfig& config = Config();
    const std::string reply = WebFetch(ScoringQuery(config.scoringEndpoint, surname, given));
    const std::string analysis =
        AnalysisFromReply(reply, {config.scoringEndpoint, config.serviceSite, config.productSite});
    if (analysis.empty()) {
        VoicePrompt("姓名评分失败！请联系客服！");
        return;
    }
    WritePage(PagePath(RunDirectory(), kAnalysisPageFile), AnalysisPage(analysis));
    ShowPage(Control<QWebEngineView>(window, "超文本浏览框3"), kAnalysisPageFile);
}

void NamePicked(QWidget* window, std::string_view name, bool companyForm) {
    VoicePrompt(name);
    QGuiApplication::clipboard()->setText(ToQString(name));
    ScoreFullName(window, companyForm ? CompanyScoringName(name) : std::string(name));
}

}  // namespace zu::naming
