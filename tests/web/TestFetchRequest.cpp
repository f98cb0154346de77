// What a fetch sends: the request line with its raw target, the header block
// and its completion, the agent, POST bodies, the proxy form and the secure
// choice.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "fetch_test_support.h"
#include "web/text.h"

namespace zu::testing {
namespace {

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST_F(FetchTest, AddressAloneSendsExactlyTheFixedHeaderSet) {
    server.Enqueue(HttpReply("hello"));
    const std::string address = Url("/a/b?x=1");
    EXPECT_EQ(WebFetch(address), "hello");
    const RecordedRequest r = OnlyRequest();
    EXPECT_EQ(r.requestLine, "GET /a/b?x=1 HTTP/1.1");
    EXPECT_EQ(r.headerLines,
              Concat({HostLine(), "User-Agent: " + kDefaultAgent}, DefaultBlockLines(address)));
    EXPECT_EQ(r.body, "");
}

TEST_F(FetchTest, AddressFormsReachTheRightTarget) {
    const std::string port = std::to_string(server.port());
    struct Case {
        std::string address;
        std::string target;
        std::string host;
    };
    const Case cases[] = {
        // No scheme: plain http, and the Referer carries the address unchanged.
        {"127.0.0.1:" + port + "/a/b?x=1", "/a/b?x=1", "127.0.0.1:" + port},
        // Upper-case host, nothing after the port.
        {"http://LOCALHOST:" + port, "/", "localhost:" + port},
        {"HTTP://127.0.0.1:" + port + "/Mixed/Case?Q=Ab", "/Mixed/Case?Q=Ab", "127.0.0.1:" + port},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        server.Enqueue(HttpReply("ok"));
        const std::size_t before = server.Requests().size();
        EXPECT_EQ(WebFetch(c.address), "ok");
        ASSERT_EQ(server.Requests().size(), before + 1);
        const RecordedRequest r = server.Requests().back();
        EXPECT_EQ(r.target, c.target);
        EXPECT_EQ(r.headerLines,
                  Concat({"Host: " + c.host, "User-Agent: " + kDefaultAgent},
                         DefaultBlockLines(c.address)));
    }
}

TEST_F(FetchTest, TargetCarriesRawGbkBytes) {
    struct Case {
        std::string path;
        std::string onTheWire;
    };
    const Case cases[] = {
        {"/mzdq/ajax_result.asp?keyword=张&n=1", "/mzdq/ajax_result.asp?keyword=\xD5\xC5&n=1"},
        // GBK in the path too, where a URL parser would percent-encode it.
        {"/张/\x81\x40?k=\xFE\xFE", "/\xD5\xC5/\x81\x40?k=\xFE\xFE"},
        // Percent escapes, dot segments and doubled slashes are left alone.
        {"/a/../b/./c//d?q=%41", "/a/../b/./c//d?q=%41"},
        // Bytes that would break the request line are escaped.
        {"/a b?c=\x01\x7F", "/a%20b?c=%01%7F"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.onTheWire);
        const std::size_t before = server.Requests().size();
        WebFetch(Url(c.path));
        ASSERT_EQ(server.Requests().size(), before + 1);
        const RecordedRequest r = server.Requests().back();
        EXPECT_EQ(r.target, c.onTheWire);
        EXPECT_EQ(r.requestLine, "GET " + c.onTheWire + " HTTP/1.1");
    }
}

TEST_F(FetchTest, CallerBlockIsCompletedInPlaceAndSentAsIs) {
    const std::string address = Url("/p");
    const std::string fixed = "\r\nAccept: */*\r\nAccept-Language: zh-cn"
                              "\r\nContent-Type: application/x-www-form-urlencoded";
    struct Case {
        const char* name;
        std::string block;
        std::string completed;
        std::string agentLine;  // the User-Agent line curl sends itself, if any
    };
    const Case cases[] = {
        {"given empty", "", "Referer: " + address + fixed, "User-Agent: " + kDefaultAgent},
        {"own line", "X-A: 1", "X-A: 1\r\nReferer: " + address + fixed,
         "User-Agent: " + kDefaultAgent},
        // An Accept line suppresses only the Accept line, not Accept-Language.
        {"own accept", "Accept: text/html",
         "Accept: text/html\r\nReferer: " + address +
             "\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded",
         "User-Agent: " + kDefaultAgent},
        {"own referer and type", "Referer: http://r/\r\nContent-Type: text/plain",
         "Referer: http://r/\r\nContent-Type: text/plain\r\nAccept: */*\r\nAccept-Language: zh-cn",
         "User-Agent: " + kDefaultAgent},
        // The agent comes from a User-Agent line in either case; that line is
        // then the only one sent.
        {"agent line", "user-agent: Foo", "user-agent: Foo\r\nReferer: " + address + fixed, ""},
        // The agent is read from wherever "User-Agent:" stands, up to the line end.
        {"agent inside a value", "X-Note: User-Agent:  Bar Baz  \r\nX-B: 2",
         "X-Note: User-Agent:  Bar Baz  \r\nX-B: 2\r\nReferer: " + address + fixed,
         "User-Agent: Bar Baz"},
        // A header with an empty value is sent, not dropped.
        {"empty value", "X-Empty:", "X-Empty:\r\nReferer: " + address + fixed,
         "User-Agent: " + kDefaultAgent},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string block = c.block;
        FetchArgs args;
        args.headers = &block;
        const std::size_t before = server.Requests().size();
        WebFetch(address, args);
        EXPECT_EQ(block, c.completed);
        ASSERT_EQ(server.Requests().size(), before + 1);
        std::vector<std::string> expected{HostLine()};
        if (!c.agentLine.empty()) expected.push_back(c.agentLine);
        for (const std::string& line : text::Split(c.completed, "\r\n")) expected.push_back(line);
        EXPECT_EQ(server.Requests().back().headerLines, expected);
    }
}

TEST_F(FetchTest, CookieVariableAddsACookieLine) {
    std::string cookies = "A=0; C=3";
    std::string block;
    FetchArgs args;
    args.cookies = &cookies;
    args.headers = &block;
    WebFetch(Url("/"), args);
    EXPECT_TRUE(block.ends_with("\r\nCookie: A=0; C=3")) << block;
    EXPECT_EQ(OnlyRequest().headerLines.back(), "Cookie: A=0; C=3");
}

TEST_F(FetchTest, PostSendsTextOrByteBody) {
    struct Case {
        const char* name;
        std::string text;
        std::optional<std::string> bytes;  // left out when empty optional
        std::string sent;
        std::string bytesAfter;
    };
    const Case cases[] = {
        {"text body", "a=1&b=2", std::nullopt, "a=1&b=2", ""},
        {"text body into empty byte body", "a=1&b=2", "", "a=1&b=2", "a=1&b=2"},
        {"byte body wins", "ignored", std::string("x\0y=张", 5), std::string("x\0y=\xD5\xC5", 5),
         std::string("x\0y=\xD5\xC5", 5)},
        {"empty post", "", std::nullopt, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = c.bytes.value_or("");
        FetchArgs args;
        args.method = 1;
        args.textBody = c.text;
        if (c.bytes) args.byteBody = &bytes;
        const std::size_t before = server.Requests().size();
        WebFetch(Url("/post"), args);
        ASSERT_EQ(server.Requests().size(), before + 1);
        const RecordedRequest r = server.Requests().back();
        EXPECT_EQ(r.method, "POST");
        EXPECT_EQ(r.body, c.sent);
        EXPECT_NE(std::find(r.headerLines.begin(), r.headerLines.end(),
                            "Content-Length: " + std::to_string(c.sent.size())),
                  r.headerLines.end());
        // The form type appears once, from the block; curl adds no Expect.
        EXPECT_EQ(std::count_if(r.headerLines.begin(), r.headerLines.end(),
                                [](const std::string& l) { return l.starts_with("Content-Type:"); }),
                  1);
        for (const std::string& line : r.headerLines) EXPECT_FALSE(line.starts_with("Expect:"));
        if (c.bytes) {
            EXPECT_EQ(bytes, c.bytesAfter);
        }
    }
}

TEST_F(FetchTest, ProxyServesPlainHttpOnly) {
    // The fixture's server plays the proxy; the far host is never looked up.
    server.Enqueue(HttpReply("via proxy"));
    FetchArgs args;
    args.proxy = "127.0.0.1:" + std::to_string(server.port());
    const std::string address = "http://far.invalid/p?q=张";
    EXPECT_EQ(WebFetch(address, args), "via proxy");
    const RecordedRequest r = OnlyRequest();
    EXPECT_EQ(r.requestLine, "GET http://far.invalid/p?q=\xD5\xC5 HTTP/1.1");
    EXPECT_EQ(r.headerLines,
              Concat({"Host: far.invalid", "User-Agent: " + kDefaultAgent}, DefaultBlockLines(address)));

    // An https address goes direct, past the proxy.
    LoopbackServer direct;
    EXPECT_EQ(WebFetch("https://127.0.0.1:" + std::to_string(direct.port()) + "/s", args), "");
    EXPECT_TRUE(direct.WaitForRequests(1, 5s));
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(FetchTest, HttpsAddressesSpeakTlsAndFailCleanlyAgainstPlainHttp) {
    for (const std::string scheme : {"https://", "HTTPS://", "Https://"}) {
        SCOPED_TRACE(scheme);
        LoopbackServer plain;
        std::string raw = "untouched";
        FetchArgs args;
        args.rawHeaders = &raw;
        EXPECT_EQ(WebFetch(scheme + "127.0.0.1:" + std::to_string(plain.port()) + "/x", args), "");
        ASSERT_TRUE(plain.WaitForRequests(1, 5s));
        const RecordedRequest hello = plain.Requests().front();
        EXPECT_FALSE(hello.complete);
        ASSERT_GE(hello.raw.size(), 2u);
        EXPECT_EQ(hello.raw.substr(0, 2), "\x16\x03");  // a TLS handshake record
        EXPECT_EQ(raw, kBlankHeaders);
    }
}

}  // namespace
}  // namespace zu::testing
