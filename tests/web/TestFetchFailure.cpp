// Failures give the empty result, leave nothing open behind them and work
// the same from any thread.
#include <sys/socket.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "fetch_test_support.h"

namespace zu::testing {
namespace {

std::size_t Entries(const char* folder) {
    std::size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++n;
    }
    return n;
}

// Shortens the idle time-out for the duration of a test.
class ShortTimeouts {
public:
    ShortTimeouts() : saved_(GetFetchTimeouts()) { SetFetchTimeouts({std::chrono::seconds(5), 1s}); }
    ~ShortTimeouts() { SetFetchTimeouts(saved_); }

private:
    FetchTimeouts saved_;
};

// A loopback port that refuses connections: bound, never listening.
class RefusingPort {
public:
    RefusingPort() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length);
        port_ = ntohs(a.sin_port);
    }
    ~RefusingPort() { ::close(fd_); }
    std::uint16_t port() const { return port_; }

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

TEST(FetchFailure, EmptyResultBlankHeadersAndNothingLeftOpen) {
    ShortTimeouts timeouts;
    ScriptedReply stallInBody = HttpReply("0123456789");
    stallInBody.stallAt = stallInBody.bytes.size() - 5;
    stallInBody.stallAfterBytes = std::chrono::hours(1);
    ScriptedReply resetWithoutLength{"HTTP/1.1 200 OK\r\nSet-Cookie: A=1\r\n\r\npartial"};
    resetWithoutLength.resetAfter = true;
    struct Case {
        const char* name;
        std::optional<ScriptedReply> reply;  // none: the port refuses
    };
    const Case cases[] = {
        {"refused", std::nullopt},
        {"empty reply", test::EmptyReply()},
        {"broken off in the body", test::BrokenOffReply("half", 100)},
        {"reset without a length", resetWithoutLength},
        {"no reply at all", test::NoReply()},
        {"stall in the body", stallInBody},
    };
    // A first fetch sets up curl's process-wide parts before the count.
    { LoopbackServer warm; WebFetch(warm.baseAddress()); }
    const std::size_t fds = Entries("/proc/self/fd");
    const std::size_t threads = Entries("/proc/self/task");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string raw = "x", redirect = "x", replyCookies = "x", cookies = "A=0";
        FetchArgs args;
        args.rawHeaders = &raw;
        args.redirect = &redirect;
        args.replyCookies = &replyCookies;
        args.cookies = &cookies;
        {
            RefusingPort refusing;
            std::optional<LoopbackServer> server;
            std::string address = "http://127.0.0.1:" + std::to_string(refusing.port()) + "/";
            if (c.reply) {
                server.emplace();
                server->Enqueue(*c.reply);
                address = server->baseAddress() + "/";
            }
            EXPECT_EQ(WebFetchBytes(address, args), "");
            // The client closed its end: the server has nothing left open.
            if (server) {
                EXPECT_TRUE(server->WaitForAllClosed(5s));
            }
        }
        EXPECT_EQ(raw, kBlankHeaders);
        EXPECT_EQ(redirect, kBlankHeaders);
        EXPECT_EQ(replyCookies, "");
        EXPECT_EQ(cookies, "A=0");
        EXPECT_EQ(Entries("/proc/self/fd"), fds);
        EXPECT_EQ(Entries("/proc/self/task"), threads);
    }
}

TEST(FetchFailure, UnusableAddressSendsNothingAndTouchesNothing) {
    for (const std::string address : {"http://127.0.0.1:99999/", "http:///nohost", "http://a b/"}) {
        SCOPED_TRACE(address);
        std::string block = "X-A: 1", raw = "before", redirect = "before";
        FetchArgs args;
        args.headers = &block;
        args.rawHeaders = &raw;
        args.redirect = &redirect;
        EXPECT_EQ(WebFetch(address, args), "");
        EXPECT_EQ(block, "X-A: 1");
        EXPECT_EQ(raw, "before");
        EXPECT_EQ(redirect, "before");
    }
}

TEST(FetchFailure, WorksFromManyThreadsAtOnce) {
    LoopbackServer server;
    // Every reply sets a cookie, so the threads share the cookie store too;
    // its path keeps it away from the other tests' requests.
    server.SetHandler([](const RecordedRequest& r) {
        return HttpReply("echo " + r.target, "text/html", 200,
                         "Set-Cookie: T=" + r.target.substr(9) + "; path=/threads/");
    });
    std::atomic<int> right{0};
    std::vector<std::thread> workers;
    constexpr int kThreads = 4, kEach = 10;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                const std::string target = "/threads/" + std::to_string(t) + "_" + std::to_string(i);
                if (WebFetch(server.baseAddress() + target) == "echo " + target) ++right;
            }
        });
    }
    for (auto& w : workers) w.join();
    EXPECT_EQ(right, kThreads * kEach);
}

}  // namespace
}  // namespace zu::testing
