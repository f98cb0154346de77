#include "naming/scoring_texts.h"

#include "naming/page_texts.h"
#include "naming/reply_reading.h"
#include "web/codecs.h"
#include "web/text.h"

namespace zu::naming {

std::optional<std::pair<std::string, std::string>> SplitFullName(std::string_view fullName) {
    if (fullName.size() == 6) return std::pair{text::Left(fullName, 2), text::Right(fullName, 4)};
    if (fullName.size() == 4) return std::pair{text::Left(fullName, 2), text::Right(fullName, 2)};
    return std::nullopt;
}

std::string ScoringQuery(std::string_view base, std::string_view surname, std::string_view given) {
    std::string q(base);
    q.append("/show.asp?youname1=").append(surname).append("&youname2=").append(given).append("&btnAdd=");
    return q;
}

std::string ServiceAttribution(std::string_view b) {
    std::string t = "根据卜易居<a href=\"";
    t.append(b).append("/\" style=\"color:#000;\">名字测试打分</a>(").append(b).append(")，");
    return t;
}

std::string ServiceCreditCell(std::string_view w) {
    std::string_view bare = w;
    if (bare.substr(0, 7) == "http://") bare.remove_prefix(7);
    std::string t = "  <td colspan=2 style=\"font-size:11px;\">(<a href=\"";
    t.append(w).append("/qiming/").append("\" style=\"color:#000;\">起名网免费取名</a>:");
    t.append(bare).append("/qiming/").append(")");
    return t;
}

std::string ProductCreditCell(std::string_view p) {
    std::string t = "  <td colspan=2 style=\"font-size:11px;\">(<a  style=\"color:#000;\">Zu宝宝取名软件出品</a>:";
    t.append(p).append(")");
    return t;
}

std::string AnalysisFromReply(std::string_view reply, const RebrandSites& sites) {
    const std::string analysis = TextBetween(reply, kAnalysisStartMarker, kAnalysisEndMarker);
    const std::string attribution = ServiceAttribution(sites.scoringBase);
    const std::string serviceCell = ServiceCreditCell(sites.serviceSite);
    const std::string productCell = ProductCreditCell(sites.productSite);
    ReplaceOptions once;
    once.count = 1;
    once.from = 1;
    return ReplaceSeveral(analysis, {{attribution, ""}, {serviceCell, productCell}}, once);
}

std::string AnalysisPage(std::string_view analysis) {
    std::string page(analysis);
    page.append("\r\n").append(PageTail());
    return page;
}

std::string PickedNameFromStatus(std::string_view status) { return TextBetween(status, "//", "/##"); }

std::string CompanyScoringName(std::string_view picked) {
    ReplaceOptions once;
    once.count = 1;
    once.from = 1;
    return ReplaceSeveral(picked, {{kCompanySuffix, ""}}, once);
}

}  // namespace zu::naming
