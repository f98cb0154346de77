// The service over loopback HTTP, its replies read by the client's own reply
// reading, and the requests it must refuse without crashing or hanging.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "naming/page_texts.h"
#include "naming/reply_reading.h"
#include "naming/scoring_texts.h"
#include "raw_client.h"
#include "service/builtin_service.h"
#include "service/http_server.h"
#include "service/service_data.h"
#include "web/codecs.h"
#include "web/text.h"

using namespace zu::service;
using zu::service::testing::Exchange;
using zu::service::testing::Get;

namespace {

class ServiceOverHttp : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new HttpServer;
        ASSERT_TRUE(StartNamingService(*server, 0, 4));
        base = "http://127.0.0.1:" + std::to_string(server->port());
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
    }
    static std::uint16_t Port() { return server->port(); }

    static std::string ListTarget(std::string_view surname, std::string_view hour = "08",
                                  std::string_view sex = "男") {
        return "/mzdq/ajax_result.asp?keyword=" + std::string(surname) + "&n=2020&y=05&r=17&s=" +
               std::string(hour) + "&xb=" + std::string(sex) + "&searchType=report";
    }

    // The names of a list reply as the client's baby naming reads them, and
    // the links it would collect.
    static std::vector<std::string> ClientNames(const std::string& body, bool threeCharacters, std::string* links) {
        std::vector<std::string> names;
        zu::naming::NameRules rules;
        rules.needsTwoParts = !threeCharacters;
        rules.name = [threeCharacters](const std::string& decoded) {
            return threeCharacters ? decoded : zu::text::Left(decoded, 4);
        };
        const bool ok = zu::naming::ReadReply(body, rules, [&](const std::string& name) {
            names.push_back(name);
            if (links) *links += zu::naming::NameLink(name);
        });
        if (!ok) names.clear();
        return names;
    }

    static inline HttpServer* server = nullptr;
    static inline std::string base;
};

TEST_F(ServiceOverHttp, BabyNamingRunGetsNamesThatPassTheResultChecks) {
    for (const char* surname : {"张", "欧阳"}) {
        for (bool three : {true, false}) {
            SCOPED_TRACE(zu::GbkToUtf8(surname) + (three ? " three" : " two"));
            std::string links;
            std::vector<std::string> names;
            for (int batch = 0; batch < 3; ++batch) {  // a count of 200 makes three batches
                const auto reply = Get(Port(), ListTarget(surname));
                ASSERT_TRUE(reply.wellFormed);
                ASSERT_EQ(reply.status, 200);
                EXPECT_EQ(zu::text::Find(reply.body, "utf-8", 1, zu::text::Case::Fold), -1);
                const auto batchNames = ClientNames(reply.body, three, &links);
                EXPECT_GE(batchNames.size(), 45u);
                names.insert(names.end(), batchNames.begin(), batchNames.end());
            }
            EXPECT_TRUE(zu::naming::ResultChecks(links));
            for (const auto& n : names) {
                EXPECT_EQ(n.rfind(surname, 0), 0u);
                EXPECT_EQ(n.size(), three ? std::strlen(surname) + 4 : 4u);
            }
        }
    }
}

TEST_F(ServiceOverHttp, UnknownHourAndOtherClientsEncodingsAreAccepted) {
    const struct { std::string target; const char* what; } cases[] = {
        {ListTarget("张", "不清楚"), "不清楚 leaves the hour unknown"},
        {ListTarget("张", "30"), "24 to 59 leave the hour unknown"},
        {ListTarget("%D5%C5"), "%-encoded GBK"},
        {ListTarget("%E5%BC%A0", "08", "%E7%94%B7"), "%-encoded UTF-8"},
    };
    for (const auto& c : cases) {
        const auto reply = Get(Port(), c.target);
        EXPECT_EQ(reply.status, 200) << c.what;
        const auto names = ClientNames(reply.body, true, nullptr);
        EXPECT_GE(names.size(), 40u) << c.what;
        for (const auto& n : names) EXPECT_EQ(n.substr(0, 2), "张") << c.what;
    }
}

TEST_F(ServiceOverHttp, CompanyRepliesReadAsTheClientReadsThem) {
    for (const char* words : {"2", "3"}) {
        const auto reply = Get(Port(), std::string("/gongsiqiming/?words=") + words);
        ASSERT_EQ(reply.status, 200);
        const auto read = zu::naming::ReadCompanyReply(reply.body);
        EXPECT_FALSE(read.failed);
        ASSERT_EQ(read.names.size(), 51u);
        const std::size_t length = std::string(words) == "2" ? 4 : 6;
        for (const auto& name : read.names) {
            ASSERT_EQ(name.size(), length + 8) << zu::GbkToUtf8(name);  // + 有限公司
            EXPECT_EQ(name.substr(length), "有限公司");
            EXPECT_NE(Data().Find(CodeOf(name)), nullptr);
        }
    }
}

TEST_F(ServiceOverHttp, ScoringReplyIsRebrandedByTheClient) {
    const zu::naming::RebrandSites sites{base, base, "zu.example.test"};
    const auto reply = Get(Port(), "/show.asp?youname1=张&youname2=伟明&btnAdd=");
    ASSERT_EQ(reply.status, 200);
    const std::string analysis = zu::naming::AnalysisFromReply(reply.body, sites);
    ASSERT_FALSE(analysis.empty());
    // The client removed the service attribution and replaced the credit cell.
    EXPECT_EQ(zu::text::Find(analysis, "卜易居"), -1);
    EXPECT_EQ(zu::text::Find(analysis, "起名网免费取名"), -1);
    EXPECT_NE(zu::text::Find(analysis, zu::naming::ProductCreditCell(sites.productSite)), -1);
    for (const char* part : {"康熙笔画", "天格", "人格", "地格", "外格", "总格", "三才", "综合评分：41分", "评分规则",
                             "zhāng", "張", "偉"})
        EXPECT_NE(zu::text::Find(analysis, part), -1) << zu::GbkToUtf8(part);
}

TEST_F(ServiceOverHttp, ScoringShowsThePoetryLineAndRefusesNonChineseNames) {
    // A given name of the first two name characters of a kept poetry line.
    const PoetryLine& line = Data().poetry.front();
    std::string given;
    for (std::size_t i = 0; i + 1 < line.line.size() && given.size() < 4; i += 2) {
        const std::string c = line.line.substr(i, 2);
        if (!Data().MeaningOf(CodeOf(c)).empty() && given != c) given += c;
    }
    ASSERT_EQ(given.size(), 4u);
    const zu::naming::RebrandSites sites{base, base, "zu.test"};
    std::string analysis =
        zu::naming::AnalysisFromReply(Get(Port(), "/show.asp?youname1=李&youname2=" + given + "&btnAdd=").body, sites);
    EXPECT_NE(zu::text::Find(analysis, line.source), -1);

    analysis = zu::naming::AnalysisFromReply(Get(Port(), "/show.asp?youname1=ab&youname2=cd&btnAdd=").body, sites);
    EXPECT_NE(zu::text::Find(analysis, "不是由规范汉字组成的姓名"), -1);
    EXPECT_EQ(zu::text::Find(analysis, "综合评分"), -1);
}

TEST_F(ServiceOverHttp, BadRequestsGetWellFormedRepliesTheClientTreatsAsFailures) {
    const std::string bigQuery = "/mzdq/ajax_result.asp?keyword=" + std::string(1 << 20, 'A');
    const struct { std::string request; const char* what; } cases[] = {
        {"GET /mzdq/ajax_result.asp?keyword=张 HTTP/1.1\r\n\r\n", "missing keys"},
        {"GET " + ListTarget("\xFF\xFE") + " HTTP/1.1\r\n\r\n", "bytes that are not GBK"},
        {"GET " + ListTarget("\xD5") + " HTTP/1.1\r\n\r\n", "half a character"},
        {"GET " + ListTarget("张", "99") + " HTTP/1.1\r\n\r\n", "an hour that is no hour"},
        {"GET " + ListTarget("张", "ab") + " HTTP/1.1\r\n\r\n", "an hour that is text"},
        {"GET " + ListTarget("zhang") + " HTTP/1.1\r\n\r\n", "an ASCII surname"},
        {"GET " + ListTarget("") + " HTTP/1.1\r\n\r\n", "an empty keyword"},
        {"GET " + ListTarget("张王李") + " HTTP/1.1\r\n\r\n", "three surname characters"},
        {"GET " + ListTarget("张", "08", "m") + " HTTP/1.1\r\n\r\n", "an unknown sex"},
        {"GET /mzdq/ajax_result.asp?keyword=张&n=2019&y=02&r=29&s=08&xb=男&searchType=report HTTP/1.1\r\n\r\n",
         "a day that does not exist"},
        {"GET " + bigQuery + " HTTP/1.1\r\n\r\n", "a query of a megabyte"},
        {"POST /mzdq/ajax_result.asp HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc", "not a GET"},
        {"\x01\x02\x03 garbage\r\n\r\n", "no request line"},
        {"GET /gongsiqiming/?words=4 HTTP/1.1\r\n\r\n", "company names of four characters"},
        {"GET /show.asp?youname1=张 HTTP/1.1\r\n\r\n", "scoring without a given name"},
        {"GET /nowhere HTTP/1.1\r\n\r\n", "an unknown page"},
    };
    for (const auto& c : cases) {
        const auto reply = Exchange(Port(), c.request);
        EXPECT_TRUE(reply.wellFormed) << c.what;
        EXPECT_NE(reply.status, 200) << c.what;
        EXPECT_TRUE(ClientNames(reply.body, true, nullptr).empty()) << c.what;
        EXPECT_TRUE(zu::naming::ReadCompanyReply(reply.body).failed) << c.what;
        EXPECT_TRUE(zu::naming::AnalysisFromReply(reply.body, {base, base, "p"}).empty()) << c.what;
    }
    // The service is still there.
    EXPECT_EQ(Get(Port(), ListTarget("张")).status, 200);
}

TEST_F(ServiceOverHttp, ManyRequestsAtOnceAllGetAnAnswer) {
    constexpr int kClients = 150;
    std::atomic<int> answered{0}, names{0}, busy{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i)
        clients.emplace_back([&, i] {
            const auto reply = Get(Port(), i % 3 ? ListTarget("王", "12", "女") : "/gongsiqiming/?words=2");
            if (!reply.wellFormed) return;
            ++answered;
            if (reply.status == 503) ++busy;
            if (reply.status == 200) ++names;
        });
    for (auto& t : clients) t.join();
    EXPECT_EQ(answered.load(), kClients);  // each gets names or a short refusal
    EXPECT_GT(names.load(), 0);
    EXPECT_EQ(Get(Port(), ListTarget("张")).status, 200);
}

TEST(HttpServerLimits, SlowClientsAreCutOffAndOthersStillServed) {
    HttpServer server;
    HttpServer::Options options;
    options.workers = 1;
    options.readLimit = std::chrono::milliseconds(300);
    ASSERT_TRUE(server.Start([](const HttpRequest& r) { return HttpReply{200, "ok " + r.target}; }, options));
    // A client that sends half a request and then nothing holds the only worker
    // for the read limit at most.
    const int slow = zu::service::testing::Connect(server.port());
    ASSERT_GE(slow, 0);
    ASSERT_GT(::send(slow, "GET /a", 6, MSG_NOSIGNAL), 0);
    const auto cut = zu::service::testing::ParseReply(zu::service::testing::ReadAll(slow, std::chrono::seconds(5)));
    ::close(slow);
    EXPECT_EQ(cut.status, 408);
    const auto fine = Get(server.port(), "/b");
    EXPECT_EQ(fine.status, 200);
    EXPECT_EQ(fine.body, "ok /b");
}

TEST(HttpServerLimits, AHandlerFaultIsAnErrorReplyNotACrash) {
    HttpServer server;
    ASSERT_TRUE(server.Start([](const HttpRequest&) -> HttpReply { throw std::runtime_error("fault"); }, {}));
    const auto reply = Get(server.port(), "/x");
    EXPECT_TRUE(reply.wellFormed);
    EXPECT_EQ(reply.status, 500);
}

TEST(BuiltInService, StartsOnceOnALoopbackPort) {
    const std::string address = zu::StartBuiltInService();
    ASSERT_EQ(address.rfind("http://127.0.0.1:", 0), 0u);
    EXPECT_EQ(zu::StartBuiltInService(), address);
    const auto port = static_cast<std::uint16_t>(std::stoi(address.substr(17)));
    EXPECT_EQ(Get(port, "/gongsiqiming/?words=3").status, 200);
}

}  // namespace
