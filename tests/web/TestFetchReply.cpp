// What a fetch makes of the reply: the raw headers and their 5000-byte
// buffer, the redirect variable, cookies and their merge, redirects and the
// 301 repetition, the character set and the zero byte.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "fetch_test_support.h"

namespace zu::testing {
namespace {

ScriptedReply Raw(std::string bytes) { return ScriptedReply{std::move(bytes)}; }

TEST_F(FetchTest, RawHeadersAreThoseOfTheReply) {
    struct Case {
        const char* name;
        std::string reply;
        std::string headers;
    };
    const Case cases[] = {
        {"crlf", "HTTP/1.1 200 OK\r\nX-A: 1\r\nContent-Length: 2\r\n\r\nhi",
         "HTTP/1.1 200 OK\r\nX-A: 1\r\nContent-Length: 2\r\n"},
        // Bare line feeds come back as "\r\n" like every other line end.
        {"lf", "HTTP/1.1 200 OK\nX-A: 1\nContent-Length: 2\n\nhi",
         "HTTP/1.1 200 OK\r\nX-A: 1\r\nContent-Length: 2\r\n"},
        // An interim reply is not part of the final headers.
        {"interim", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhi",
         "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.Enqueue(Raw(c.reply));
        std::string raw, redirect;
        FetchArgs args;
        args.rawHeaders = &raw;
        args.redirect = &redirect;
        EXPECT_EQ(WebFetch(Url("/"), args), "hi");
        EXPECT_EQ(raw, c.headers);
        EXPECT_EQ(redirect, c.headers);  // no Location: the redirect variable gets the headers
    }
}

TEST_F(FetchTest, HeadersThatDoNotFitReadAsBlank) {
    // The header text must fit in 5000 bytes with its terminating zero; then
    // it is read, otherwise it reads as 5000 spaces and nothing is taken from
    // it (no cookies, no Location, no charset) while the body still comes.
    const std::string start = "HTTP/1.1 200 OK\r\nSet-Cookie: A=1; path=/fit/\r\nLocation: http://x/\r\n"
                              "Content-Type: text/html; charset=utf-8\r\nX-Pad: ";
    const std::string end = "\r\nContent-Length: 3\r\n";
    const std::string body = "\xE5\xBC\xA0";  // UTF-8 for 张
    for (const std::size_t length : {4999u, 5000u, 20000u}) {
        SCOPED_TRACE(length);
        const std::string headers =
            start + std::string(length - start.size() - end.size(), 'p') + end;
        ASSERT_EQ(headers.size(), length);
        server.Enqueue(Raw(headers + "\r\n" + body));
        const bool fits = length < 5000;
        std::string raw, redirect, replyCookies;
        FetchArgs args;
        args.rawHeaders = &raw;
        args.redirect = &redirect;
        args.replyCookies = &replyCookies;
        args.noRedirect = true;
        const std::string got = WebFetch(Url("/fit/"), args);
        EXPECT_EQ(raw, fits ? headers : kBlankHeaders);
        EXPECT_EQ(redirect, fits ? "http://x/" : kBlankHeaders);
        EXPECT_EQ(replyCookies, fits ? "A=1" : "");
        EXPECT_EQ(got, fits ? "张" : body);
    }
}

TEST_F(FetchTest, RedirectVariableTakesTheLastLocationLine) {
    server.Enqueue(HttpReply("", "text/html", 200,
                             "Location:  http://first/ \r\nContent-Location: /second"));
    std::string redirect = "stale";
    FetchArgs args;
    args.redirect = &redirect;
    args.noRedirect = true;
    WebFetch(Url("/"), args);
    EXPECT_EQ(redirect, "/second");
}

TEST_F(FetchTest, ReplyCookiesAndTheMerge) {
    // Cookies that reach the shared store carry a path of their own, so they
    // are never sent with the other tests' requests.
    struct Case {
        const char* name;
        std::string setCookies;                    // extra reply header lines
        std::optional<std::string> sent;           // the cookie variable, if given
        std::string replyCookies;                  // the reply-cookie variable after
        std::optional<std::string> merged;         // the cookie variable after
    };
    const Case cases[] = {
        {"collected", "Set-Cookie: A=1; path=/merge/\r\nSet-Cookie: B=2; path=/merge/", std::nullopt, "A=1; B=2",
         std::nullopt},
        {"no cookies", "X-A: 1", std::nullopt, "", std::nullopt},
        // The reply's value wins over the sent one; sent names the reply did
        // not set follow. Both variables are left without spaces.
        {"merge", "Set-Cookie: A=1; path=/\r\nSet-Cookie: B=2", "A=0; C=3", "A=1;B=2",
         "A=1; B=2; C=3"},
        // A deleted reply item keeps the sent one out and is dropped itself.
        {"deleted", "Set-Cookie: C=deleted; path=/", "A=0; C=3", "C=deleted", "A=0"},
        {"everything deleted", "Set-Cookie: A=deleted", "A=1", "A=deleted", ""},
        {"repeats and spaces", "", "A = 1;A=1; B=2 ;", "", "A=1; B=2"},
        {"given empty", "Set-Cookie: N=1", "", "N=1", "N=1"},
        {"value with equals signs", "Set-Cookie: T=a=b==; HttpOnly", "T=old; U=1", "T=a=b==",
         "T=a=b==; U=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.Enqueue(HttpReply("x", "text/html", 200, c.setCookies));
        std::string cookies = c.sent.value_or("");
        std::string replyCookies = "stale";
        FetchArgs args;
        if (c.sent) args.cookies = &cookies;
        args.replyCookies = &replyCookies;
        EXPECT_EQ(WebFetch(Url("/merge/"), args), "x");
        EXPECT_EQ(replyCookies, c.replyCookies);
        if (c.merged) {
            EXPECT_EQ(cookies, *c.merged);
        }
    }
}

TEST_F(FetchTest, SharedCookieStoreUnlessACookieVariableIsGiven) {
    // "localhost" keeps these cookies apart from the other tests' 127.0.0.1.
    const std::string base = "http://localhost:" + std::to_string(server.port());
    auto cookieLines = [&] {
        std::vector<std::string> lines;
        const RecordedRequest last = server.Requests().back();
        for (const std::string& l : last.headerLines)
            if (l.starts_with("Cookie")) lines.push_back(l);
        return lines;
    };
    server.Enqueue(HttpReply("", "text/html", 200, "Set-Cookie: S=1; path=/"));
    WebFetch(base + "/set");
    WebFetch(base + "/again");
    EXPECT_EQ(cookieLines(), std::vector<std::string>{"Cookie: S=1"});

    // With a cookie variable the store is neither read nor written.
    std::string mine = "M=1";
    FetchArgs args;
    args.cookies = &mine;
    server.Enqueue(HttpReply("", "text/html", 200, "Set-Cookie: V=1; path=/"));
    WebFetch(base + "/own", args);
    EXPECT_EQ(cookieLines(), std::vector<std::string>{"Cookie: M=1"});
    EXPECT_EQ(mine, "V=1; M=1");
    server.Enqueue(HttpReply("", "text/html", 200, "Set-Cookie: S=; Max-Age=0; path=/"));
    WebFetch(base + "/clear");
    EXPECT_EQ(cookieLines(), std::vector<std::string>{"Cookie: S=1"});
    WebFetch(base + "/cleared");
    EXPECT_EQ(cookieLines(), std::vector<std::string>{});
}

TEST_F(FetchTest, Redirects) {
    const std::string base = server.baseAddress();
    struct Case {
        const char* name;
        ScriptedReply first;
        bool noRedirect;
        int method;
        std::string result;
        std::vector<std::string> requestLines;  // every request the server saw
    };
    const std::string moved = "HTTP/1.1 301 Moved Permanently\r\nLocation: " + base +
                              "\r\nContent-Length: 5\r\n\r\nmoved";
    const Case cases[] = {
        {"302 followed", test::RedirectReply(302, "/next?x=1"), false, 0, "final",
         {"GET /p?q=1 HTTP/1.1", "GET /next?x=1 HTTP/1.1"}},
        {"302 not followed", test::RedirectReply(302, "/next"), true, 0, "",
         {"GET /p?q=1 HTTP/1.1"}},
        // A 301 the transport did not follow is repeated at the Location
        // value followed by the current path.
        {"301 repeated at the new site", Raw(moved), true, 0, "final",
         {"GET /p?q=1 HTTP/1.1", "GET /p?q=1 HTTP/1.1"}},
        {"301 with its own path", test::RedirectReply(301, base + "/new"), true, 0, "final",
         {"GET /p?q=1 HTTP/1.1", "GET /new/p?q=1 HTTP/1.1"}},
        // Only "HTTP/1.1 301 ... Moved" counts; without a Location there is
        // nowhere to go.
        {"301 without reason", Raw("HTTP/1.1 301\r\nLocation: " + base + "\r\n\r\nbare"), true, 0,
         "bare", {"GET /p?q=1 HTTP/1.1"}},
        {"301 without location", Raw("HTTP/1.1 301 Moved Permanently\r\n\r\nnowhere"), true, 0,
         "nowhere", {"GET /p?q=1 HTTP/1.1"}},
        {"303 after post", test::RedirectReply(303, "/seen"), false, 1, "final",
         {"POST /p?q=1 HTTP/1.1", "GET /seen HTTP/1.1"}},
        {"307 keeps the post", test::RedirectReply(307, "/again"), false, 1, "final",
         {"POST /p?q=1 HTTP/1.1", "POST /again HTTP/1.1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer site;
        const std::string here = site.baseAddress();
        ScriptedReply first = c.first;
        // The scripts name the fixture's server; point them at this one.
        for (std::size_t at; (at = first.bytes.find(base)) != std::string::npos;)
            first.bytes.replace(at, base.size(), here);
        site.Enqueue(first);
        site.Enqueue(HttpReply("final"));
        FetchArgs args;
        args.noRedirect = c.noRedirect;
        args.method = c.method;
        args.textBody = "a=1";
        std::string raw;
        args.rawHeaders = &raw;
        EXPECT_EQ(WebFetch(here + "/p?q=1", args), c.result);
        std::vector<std::string> lines;
        for (const RecordedRequest& r : site.Requests()) lines.push_back(r.requestLine);
        EXPECT_EQ(lines, c.requestLines);
        if (c.result == "final") {
            EXPECT_TRUE(raw.starts_with("HTTP/1.1 200 OK\r\n")) << raw;
        }
        if (c.method == 1 && lines.size() == 2 && lines[1].starts_with("POST")) {
            EXPECT_EQ(site.Requests()[1].body, "a=1");
        }
    }
}

TEST_F(FetchTest, RedirectToAnotherSiteDropsTheCookieLine) {
    LoopbackServer other;
    other.Enqueue(HttpReply("there"));
    server.Enqueue(test::RedirectReply(302, other.baseAddress() + "/x"));
    std::string cookies = "A=1";
    FetchArgs args;
    args.cookies = &cookies;
    EXPECT_EQ(WebFetch(Url("/"), args), "there");
    auto hasCookie = [](const RecordedRequest& r) {
        return std::any_of(r.headerLines.begin(), r.headerLines.end(),
                           [](const std::string& l) { return l.starts_with("Cookie:"); });
    };
    EXPECT_TRUE(hasCookie(OnlyRequest()));
    ASSERT_TRUE(other.WaitForRequests(1, 5s));
    EXPECT_FALSE(hasCookie(other.Requests()[0]));
}

TEST_F(FetchTest, EndlessMovesStopAfterTenRepeats) {
    int count = 0;
    const std::string base = server.baseAddress();
    server.SetHandler([&](const RecordedRequest&) {
        const std::string body = "reply " + std::to_string(++count);
        return ScriptedReply{"HTTP/1.1 301 Moved Permanently\r\nLocation: " + base +
                             "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body};
    });
    std::string redirect;
    FetchArgs args;
    args.noRedirect = true;
    args.redirect = &redirect;
    EXPECT_EQ(WebFetch(base + "/loop", args), "reply 11");
    EXPECT_EQ(server.Requests().size(), 11u);
    EXPECT_EQ(redirect, base);
}

TEST_F(FetchTest, FollowedRedirectsAreBounded) {
    server.SetHandler([](const RecordedRequest& r) { return test::RedirectReply(302, r.target + "x"); });
    std::string raw;
    FetchArgs args;
    args.rawHeaders = &raw;
    EXPECT_EQ(WebFetch(Url("/r"), args), "");
    EXPECT_EQ(server.Requests().size(), 11u);
    EXPECT_TRUE(raw.starts_with("HTTP/1.1 302 Found\r\n"));
}

TEST_F(FetchTest, CharacterSetRule) {
    const std::string utf8Name = "\xE5\xBC\xA0\xE4\xB8\x89";  // 张三 in UTF-8
    // A body whose "utf-8" starts at the given 1-based position.
    auto bodyWithDeclarationAt = [&](std::size_t position) {
        return std::string(position - 1, ' ') + "utf-8 " + utf8Name;
    };
    struct Case {
        std::size_t position;
        std::string extraHeaders;
        bool converted;
    };
    const Case cases[] = {
        {1, "", true},
        {499, "", true},
        {500, "", false},
        {600, "", false},
        {600, "X-Charset: UTF-8", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.position) + " " + c.extraHeaders);
        const std::string body = bodyWithDeclarationAt(c.position);
        server.Enqueue(HttpReply(body, "text/html", 200, c.extraHeaders));
        const std::string got = WebFetchBytes(Url("/"));
        EXPECT_EQ(got, c.converted ? std::string(c.position - 1, ' ') + "utf-8 张三" : body);
    }
    // A content type naming the charset converts too.
    server.Enqueue(HttpReply(std::string(600, ' ') + "utf-8 " + utf8Name, "text/html; charset=UTF-8"));
    EXPECT_TRUE(WebFetch(Url("/")).ends_with("utf-8 张三"));
}

TEST_F(FetchTest, TextStopsAtTheFirstZeroByteBytesDoNot) {
    const std::string body("ab\0cd", 5);
    server.Enqueue(HttpReply(body));
    server.Enqueue(HttpReply(body));
    EXPECT_EQ(WebFetch(Url("/")), "ab");
    EXPECT_EQ(WebFetchBytes(Url("/")), body);
}

}  // namespace
}  // namespace zu::testing
