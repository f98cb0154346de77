// Queries, batch counts, reading list and company replies, and the result checks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "naming/name_rules.h"
#include "naming/page_texts.h"
#include "naming/reply_reading.h"

using namespace zu::naming;

namespace {

// One marked name of a list reply: the marker, the "%u" escapes and what
// follows them up to the next marker.
std::string Marked(std::string_view escapes, std::string_view after = "</a>") {
    return std::string(kReplyMarker) + std::string(escapes) + std::string(after);
}

struct Reading {
    bool ok = false;
    std::vector<std::string> names;
    int pieces = 0;
};

Reading Read(std::string_view reply, const NameRules& rules) {
    Reading r;
    ReplyHooks hooks;
    hooks.piece = [&] { ++r.pieces; };
    r.ok = ReadReply(reply, rules, [&](const std::string& name) { r.names.push_back(name); }, hooks);
    return r;
}

// A NameLink written out from its five pieces.
std::string ExpectedLink(std::string_view n) {
    return "\r\n<a href=\"http://" + std::string(n) +
           "##\" onfocus=\"javascript:this.blur();\" style=\"background-color: #EDF3F6;  border: 1 solid "
           "\r\r\n#EDF3F6\" target=\"_blank\"  >" +
           std::string(n) + "</a>\r\n\r\n";
}

}  // namespace

TEST(ListQuery, PutsTheRawValuesInTheFixedOrder) {
    EXPECT_EQ(ListQuery("http://127.0.0.1:8080", {"张", "1960", "01", "02", "00", "男"}),
              "http://127.0.0.1:8080/mzdq/ajax_result.asp?keyword=张&n=1960&y=01&r=02&s=00&xb=男"
              "&searchType=report");
    // Nothing is escaped, not even characters that mean something in a query.
    EXPECT_EQ(ListQuery("", {"a&b c", "", "", "", "不清楚", "女"}),
              "/mzdq/ajax_result.asp?keyword=a&b c&n=&y=&r=&s=不清楚&xb=女&searchType=report");
    EXPECT_EQ(CompanyQuery("http://h", true), "http://h/gongsiqiming/?words=3");
    EXPECT_EQ(CompanyQuery("http://h", false), "http://h/gongsiqiming/?words=2");
}

TEST(BatchCount, FollowsTheCountText) {
    struct Case {
        std::string_view count;
        int batches, maximum, parentMaximum;
    };
    const Case cases[] = {
        {"50", 1, 50, 45},     {"100", 1, 100, 95},  {"158", 2, 158, 153}, {"159", 3, 159, 154},
        {"200", 3, 200, 195},  {"300", 5, 300, 295}, {"400", 7, 400, 395}, {"500", 9, 500, 495},
        {"1000", 18, 1000, 995}, {"abc", 1, 0, -5},  {"", 1, 0, -5},       {"99.9999999", 1, 99, 94},
        {"120.7", 2, 120, 115}, {"-50", 1, -50, -55}, {"1e300", 2147483647, 2147483647, 2147483647},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.count));
        const double count = CountValue(c.count);
        EXPECT_EQ(BatchCount(count), c.batches);
        EXPECT_EQ(ProgressMaximum(count), c.maximum);
        EXPECT_EQ(ProgressMaximum(count, 5), c.parentMaximum);
    }
}

TEST(ProgressLabel, ShowsMaximumPlusFiveAndThePosition) {
    EXPECT_EQ(ProgressLabel(100, 7), "105|7");
    EXPECT_EQ(ProgressLabel(45, 1), "50|1");
    EXPECT_EQ(ProgressLabel(100, 105), "105|105");
    EXPECT_EQ(ProgressLabel(0, 0), "5|0");
    EXPECT_EQ(ProgressLabel(2147483647, 3), "2147483652|3");  // %.13g keeps every digit
}

TEST(ReadReply, SplitsAtTheMarkerAndSkipsTheFirstPiece) {
    const std::string three = "head" + Marked("%u5F20%u4F1F%u660E") + Marked("%u674E%u5A1C") + "tail";
    struct Case {
        const char* what;
        std::string reply;
        bool ok;
        std::vector<std::string> names;
        int pieces;
    };
    const Case cases[] = {
        {"two names", three, true, {"张伟明", "李娜"}, 2},
        {"empty reply", "", false, {}, 0},
        {"no marker", "<html>nothing</html>", false, {}, 0},
        {"the only marker at the very end", "head" + std::string(kReplyMarker), false, {}, 0},
        {"reply that begins with the marker", Marked("%u5F20%u4E09"), true, {"张三"}, 1},
        {"a piece without <", "h" + std::string(kReplyMarker) + "%u5F20" + Marked("%u674E"), true, {"李"}, 2},
        {"a piece that starts with <", "h" + Marked(""), true, {""}, 1},
        {"adjacent markers", "h" + std::string(kReplyMarker) + Marked("%u5F20"), true, {"张"}, 2},
        {"bytes after a zero byte", "h" + Marked("%u5F20") + std::string("\0", 1) + Marked("%u674E"), true, {"张"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The three-character rules list the decoded text whole.
        const Reading r = Read(c.reply, ThreeCharacterRules());
        EXPECT_EQ(r.ok, c.ok);
        EXPECT_EQ(r.pieces, c.pieces);
        EXPECT_EQ(r.names, c.names);
    }
}

TEST(ReadReply, TheModesDifferOnlyInTheirRules) {
    // A piece whose only "<" is its last character, then an ordinary one.
    const std::string reply = "h" + Marked("%u5F20%u4F1F%u660E", "<") + Marked("%u674E%u5C0F%u9F99");
    const Reading two = Read(reply, TwoCharacterRules());
    const Reading three = Read(reply, ThreeCharacterRules());
    EXPECT_EQ(two.names, (std::vector<std::string>{"李小"}));
    EXPECT_EQ(three.names, (std::vector<std::string>{"张伟明", "李小龙"}));
    EXPECT_EQ(two.pieces, 2);
    EXPECT_EQ(three.pieces, 2);
}

TEST(ReadReply, ListsEveryNameOfALongReply) {
    std::string reply = "h";
    for (int i = 0; i < 120; ++i) reply += Marked("%u5F20%u4E09");
    const Reading r = Read(reply, TwoCharacterRules());
    EXPECT_EQ(r.names.size(), 120u);
    EXPECT_EQ(r.pieces, 120);
}

TEST(ListPage, BytesForAKnownReply) {
    const std::string reply = "<div>" + Marked("%u5F20%u4F1F%u660E") + Marked("%u738B%u82B3");
    std::string links;
    ASSERT_TRUE(ReadReply(reply, TwoCharacterRules(), [&](const std::string& n) { links += NameLink(n); }));
    const std::string link = ExpectedLink("张伟") + ExpectedLink("王芳");
    EXPECT_EQ(ListPage(links), "<html>\r\n<head>" + link + std::string(PageTail()));
}

TEST(ReadCompanyReply, NamesArePiecesTwoToNMinusFour) {
    auto reply = [](std::vector<std::string> pieces) {
        std::string r;
        for (std::size_t i = 0; i < pieces.size(); ++i) r += (i ? std::string(kCompanyMarker) : "") + pieces[i];
        return r;
    };
    EXPECT_EQ(kCompanyMarker.size(), 18u);
    struct Case {
        const char* what;
        std::string reply;
        bool failed;
        int steps;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"ten pieces",
         reply({"<ul>", "宏达</a>", "伟业</a>", "华兴</a>", "鼎盛</a>", "恒通</a>", "x", "x", "x", "x"}),
         false,
         5,
         {"宏达有限公司", "伟业有限公司", "华兴有限公司", "鼎盛有限公司", "恒通有限公司"}},
        {"a piece without <", reply({"h", "宏达", "t", "t", "t", "t"}), false, 1, {"宏达有限公司"}},
        {"an empty piece is skipped", reply({"h", "宏达<", "", "伟业<", "t", "t", "t", "t"}), false, 3,
         {"宏达有限公司", "伟业有限公司"}},
        {"five pieces give no names", reply({"h", "a<", "t", "t", "t"}), false, 0, {}},
        {"no marker", "<html></html>", true, 0, {}},
        {"empty reply", "", true, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CompanyReply r = ReadCompanyReply(c.reply);
        EXPECT_EQ(r.failed, c.failed);
        EXPECT_EQ(r.steps, c.steps);
        EXPECT_EQ(r.names, c.names);
    }
}

TEST(ResultChecks, FailOnQuestionMarkEmptyOrPunycode) {
    struct Case {
        std::string links;
        bool pass;
    };
    const Case cases[] = {
        {NameLink("张伟") + NameLink("李娜"), true},
        {"", false},
        {NameLink("张伟") + NameLink("?"), false},       // one name GBK could not hold spoils the run
        {NameLink("张伟") + NameLink("xn--abc"), false},
        {NameLink(""), true},                             // an empty name still is a link
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.links);
        EXPECT_EQ(ResultChecks(c.links), c.pass);
    }
}
