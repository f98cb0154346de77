// The scoring query, the analysis cut from a reply and its rebranding, and
// reading a picked name.
#include <gtest/gtest.h>

#include "naming/page_texts.h"
#include "naming/scoring_texts.h"

using namespace zu::naming;

namespace {

const RebrandSites kSites{"http://127.0.0.1:9001", "http://www.example-site.test", "zu.example.test"};

std::string Reply(std::string_view analysis) {
    return "<html>张三" + std::string(kAnalysisStartMarker) + std::string(analysis) +
           std::string(kAnalysisEndMarker) + "rest</html>";
}

}  // namespace

TEST(SplitFullName, SplitsSixAndFourByteNames) {
    using Parts = std::optional<std::pair<std::string, std::string>>;
    struct Case {
        std::string_view name;
        Parts parts;
    };
    const Case cases[] = {
        {"张三", Parts{{"张", "三"}}},
        {"张三丰", Parts{{"张", "三丰"}}},
        {"abcd", Parts{{"ab", "cd"}}},  // ASCII halves of two bytes
        {"欧阳娜娜", std::nullopt},
        {"张", std::nullopt},
        {"", std::nullopt},
        {" 张三", std::nullopt},  // not trimmed: 5 bytes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name));
        EXPECT_EQ(SplitFullName(c.name), c.parts);
    }
}

TEST(ScoringQuery, PutsTheRawNamesInTheAddress) {
    EXPECT_EQ(ScoringQuery("http://127.0.0.1:9001", "张", "三丰"),
              "http://127.0.0.1:9001/show.asp?youname1=张&youname2=三丰&btnAdd=");
}

TEST(Rebranding, TextsAreBuiltFromTheirFixedPieces) {
    EXPECT_EQ(kAnalysisStartMarker.size(), 48u);
    // Fixed pieces: 19 + B + 40 + B + 3; 50 + W + "/qiming/" + 41 + W' + "/qiming/" + ")"; 88 + P + ")".
    EXPECT_EQ(ServiceAttribution("").size(), 19u + 40u + 3u);
    EXPECT_EQ(ServiceAttribution("http://b"),
              "根据卜易居<a href=\"http://b/\" style=\"color:#000;\">名字测试打分</a>(http://b)，");
    EXPECT_EQ(ServiceCreditCell("").size(), 50u + 8u + 41u + 8u + 1u);
    EXPECT_EQ(ServiceCreditCell("http://w.test"),
              "  <td colspan=2 style=\"font-size:11px;\">(<a href=\"http://w.test/qiming/\" "
              "style=\"color:#000;\">起名网免费取名</a>:w.test/qiming/)");
    EXPECT_EQ(ProductCreditCell("").size(), 88u + 1u);
    EXPECT_EQ(ProductCreditCell("zu.test"),
              "  <td colspan=2 style=\"font-size:11px;\">(<a  style=\"color:#000;\">Zu宝宝取名软件出品</a>:zu.test)");
}

TEST(AnalysisFromReply, CutsAndRebrands) {
    const std::string attribution = ServiceAttribution(kSites.scoringBase);
    const std::string serviceCell = ServiceCreditCell(kSites.serviceSite);
    const std::string productCell = ProductCreditCell(kSites.productSite);
    struct Case {
        const char* what;
        std::string reply, analysis;
    };
    const Case cases[] = {
        {"plain analysis", Reply("<b>总分 90</b>"), "<b>总分 90</b>"},
        {"credits replaced", Reply(attribution + "<p>A</p>" + serviceCell + "</td>"),
         "<p>A</p>" + productCell + "</td>"},
        {"only the first attribution goes", Reply(attribution + "x" + attribution), "x" + attribution},
        {"only the attribution: nothing left", Reply(attribution), ""},
        {"no end marker", "<html>" + std::string(kAnalysisStartMarker) + "<b>90</b>", ""},
        {"no start marker", "<html><b>90</b></font></b>", ""},
        {"unreachable service", "", ""},
        {"end marker matched in any letter case", "x" + std::string(kAnalysisStartMarker) + "A</FONT></B>", "A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(AnalysisFromReply(c.reply, kSites), c.analysis);
    }
    EXPECT_EQ(AnalysisPage("<b>A</b>"), "<b>A</b>\r\n" + std::string(PageTail()));
}

TEST(PickedName, ComesFromTheStatusText) {
    struct Case {
        std::string_view status, name, scored;
    };
    const Case cases[] = {
        {"http://张三/##", "张三", "张三"},
        {"http://宏达有限公司/##", "宏达有限公司", "宏达"},
        {"http://有限公司/##", "有限公司", ""},
        {"http://张三##", "", ""},  // no "/##": nothing picked
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.status));
        EXPECT_EQ(PickedNameFromStatus(c.status), c.name);
        EXPECT_EQ(CompanyScoringName(PickedNameFromStatus(c.status)), c.scored);
    }
}
