// The scoring endpoint: the query for a name, the analysis cut out of its
// reply and the service's credits replaced by the product's. No widgets.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace zu::naming {

// The analysis begins right after this greeting tail and ends before the first
// kAnalysisEndMarker after it.
inline constexpr std::string_view kAnalysisStartMarker = "，您好，以下是卜易居为您进行的姓名测试打分解析：";
inline constexpr std::string_view kAnalysisEndMarker = "</font></b>";

// A name of 6 bytes is 2 + 4, one of 4 bytes 2 + 2; any other length none.
std::optional<std::pair<std::string, std::string>> SplitFullName(std::string_view fullName);

// base + "/show.asp?youname1=" + surname + "&youname2=" + given + "&btnAdd=",
// raw GBK.
std::string ScoringQuery(std::string_view base, std::string_view surname, std::string_view given);

// The three rebranding texts from B (scoring base), W (service site) and P
// (product site as displayed); W' is W without a leading "http://".
std::string ServiceAttribution(std::string_view scoringBase);
std::string ServiceCreditCell(std::string_view serviceSite);
std::string ProductCreditCell(std::string_view productSite);

struct RebrandSites {
    std::string scoringBase, serviceSite, productSite;
};

// The analysis of one reply: TextBetween the markers, then the first service
// attribution removed and the first service credit cell replaced by the
// product's. Empty when the reply holds no analysis.
std::string AnalysisFromReply(std::string_view reply, const RebrandSites& sites);

// The analysis page: analysis + "\r\n" + PageTail.
std::string AnalysisPage(std::string_view analysis);

// A pick: the name between "//" and "/##" of a link address as the pane shows
// it ("http://张三/##").
std::string PickedNameFromStatus(std::string_view status);
// The company form scores the picked name without its first "有限公司".
std::string CompanyScoringName(std::string_view picked);

}  // namespace zu::naming
