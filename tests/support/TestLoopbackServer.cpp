// The loopback server is what every fetch test stands on: these tests check,
// with a bare socket client, that it records requests byte for byte and sends
// scripted replies exactly, pauses, resets and stops cleanly.
#include "support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>

#include <gtest/gtest.h>

namespace zu::test {
namespace {

using namespace std::chrono_literals;

// A plain TCP client, so the server is checked without the HTTP client under test.
class RawClient {
public:
    explicit RawClient(std::uint16_t port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { ::close(fd_); }
    bool connected() const { return connected_; }

    void Send(const std::string& bytes) const {
        ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }
    // Reads until the server closes, up to `limit` bytes or for at most
    // `timeout`; `error` receives the errno of a failed read (0 at end of stream).
    std::string Read(std::size_t limit = SIZE_MAX, std::chrono::milliseconds timeout = 10s,
                     int* error = nullptr) const {
        std::string data;
        const auto until = std::chrono::steady_clock::now() + timeout;
        if (error) *error = 0;
        while (data.size() < limit) {
            pollfd p{fd_, POLLIN, 0};
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
            char buffer[4096];
            const ssize_t n = ::recv(fd_, buffer, std::min(sizeof buffer, limit - data.size()), 0);
            if (n < 0 && error) *error = errno;
            if (n <= 0) break;
            data.append(buffer, static_cast<std::size_t>(n));
        }
        return data;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
};

TEST(LoopbackServer, RecordsTheRequestByteForByte) {
    LoopbackServer server;
    EXPECT_EQ(server.baseAddress(), "http://127.0.0.1:" + std::to_string(server.port()));
    // A raw GBK target, repeated and oddly cased header names, and a body that
    // holds a zero byte and a blank line of its own.
    const std::string body("a=1\0\r\n\r\nz", 9);
    const std::string request =
        "POST /q?keyword=\xD5\xC5&n=1 HTTP/1.1\r\nHost: x\r\nX-B: 2\r\ncontent-length: 9\r\n"
        "X-B: 1\r\n\r\n" + body;
    RawClient client(server.port());
    ASSERT_TRUE(client.connected());
    client.Send(request);
    client.Read();
    ASSERT_TRUE(server.WaitForRequests(1, 5s));
    const RecordedRequest r = server.Requests().at(0);
    EXPECT_EQ(r.raw, request);
    EXPECT_EQ(r.requestLine, "POST /q?keyword=\xD5\xC5&n=1 HTTP/1.1");
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.target, "/q?keyword=\xD5\xC5&n=1");
    EXPECT_EQ(r.headerLines,
              (std::vector<std::string>{"Host: x", "X-B: 2", "content-length: 9", "X-B: 1"}));
    EXPECT_EQ(r.body, body);
    EXPECT_TRUE(r.complete);
}

TEST(LoopbackServer, SendsScriptedBytesExactlyThenCloses) {
    LoopbackServer server;
    // No reason phrase, no Content-Length, a zero byte in the body.
    const std::string scripted("HTTP/1.1 301\r\nLocation: http://a\r\n\r\nx\0y", 40);
    server.Enqueue({scripted});
    RawClient client(server.port());
    client.Send("GET / HTTP/1.1\r\n\r\n");
    int error = -1;
    EXPECT_EQ(client.Read(SIZE_MAX, 10s, &error), scripted);
    EXPECT_EQ(error, 0);  // an orderly close ends the reply
    EXPECT_TRUE(server.WaitForAllClosed(5s));
}

TEST(LoopbackServer, QueueFirstThenHandlerThenDefault) {
    LoopbackServer server;
    server.Enqueue(HttpReply("first", "text/plain"));
    server.Enqueue(HttpReply("second", "text/plain", 404, "X-A: 1"));
    auto ask = [&](const std::string& target) {
        RawClient client(server.port());
        client.Send("GET " + target + " HTTP/1.1\r\n\r\n");
        return client.Read();
    };
    EXPECT_EQ(ask("/1"),
              "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 5\r\n"
              "Connection: close\r\n\r\nfirst");
    EXPECT_EQ(ask("/2"),
              "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: 6\r\n"
              "Connection: close\r\nX-A: 1\r\n\r\nsecond");
    EXPECT_EQ(ask("/3"), "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    server.SetHandler([](const RecordedRequest& r) { return ScriptedReply{"echo " + r.target}; });
    EXPECT_EQ(ask("/4"), "echo /4");
    server.Enqueue({"queued"});
    EXPECT_EQ(ask("/5"), "queued");
    EXPECT_EQ(ask("/6"), "echo /6");
    EXPECT_EQ(server.Requests().size(), 6u);
    EXPECT_EQ(server.ConnectionsAccepted(), 6u);
}

TEST(LoopbackServer, KeepsTheConnectionForTheNextRequestWhenAsked) {
    LoopbackServer server;
    ScriptedReply first{"one"};
    first.closeAfter = false;
    server.Enqueue(first);
    server.Enqueue({"two"});
    RawClient client(server.port());
    client.Send("GET /a HTTP/1.1\r\n\r\n");
    EXPECT_EQ(client.Read(3), "one");
    client.Send("GET /b HTTP/1.1\r\n\r\n");
    EXPECT_EQ(client.Read(), "two");
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[1].target, "/b");
    EXPECT_EQ(server.ConnectionsAccepted(), 1u);
}

TEST(LoopbackServer, PausesHoldBackTheRestOfTheReply) {
    LoopbackServer server;
    ScriptedReply reply{"abcdefgh"};
    reply.stallAt = 2;
    reply.stallAfterBytes = 150ms;
    reply.pauses = {{6, 150ms}, {100, 0ms}};  // a pause past the end is clamped
    server.Enqueue(reply);
    RawClient client(server.port());
    const auto start = std::chrono::steady_clock::now();
    client.Send("GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(client.Read(2), "ab");
    EXPECT_EQ(client.Read(), "cdefgh");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
}

TEST(LoopbackServer, StallEndsWhenTheClientGivesUp) {
    LoopbackServer server;
    ScriptedReply reply{"HTTP/1.1 200 OK\r\n\r\nxx"};
    reply.stallAt = 5;
    reply.stallAfterBytes = std::chrono::hours(1);
    server.Enqueue(reply);
    {
        RawClient client(server.port());
        client.Send("GET / HTTP/1.1\r\n\r\n");
        EXPECT_EQ(client.Read(5), "HTTP/");
    }
    EXPECT_TRUE(server.WaitForAllClosed(10s));
}

TEST(LoopbackServer, BrokenOffReplyEndsInAReset) {
    LoopbackServer server;
    server.Enqueue(BrokenOffReply("half", 100));
    RawClient client(server.port());
    client.Send("GET / HTTP/1.1\r\n\r\n");
    int error = 0;
    const std::string got = client.Read(SIZE_MAX, 10s, &error);
    EXPECT_TRUE(got.ends_with("Content-Length: 100\r\nConnection: close\r\n\r\nhalf")) << got;
    EXPECT_EQ(error, ECONNRESET);
}

TEST(LoopbackServer, RecordsWhatCannotBeARequestAndCloses) {
    struct Case {
        const char* name;
        std::string bytes;
        bool closeClient;  // the client gives up before the head ends
    };
    const Case cases[] = {
        {"tls handshake", std::string("\x16\x03\x01\x02\x00\x01\x00", 7), false},
        {"unfinished head", "GET /x HTTP/1.1\r\nHost: a\r\n", true},
        {"unfinished body", "POST /x HTTP/1.1\r\nContent-Length: 10\r\n\r\nabc", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server;
        {
            RawClient client(server.port());
            client.Send(c.bytes);
            if (!c.closeClient) {
                EXPECT_EQ(client.Read(), "");
            }
        }
        ASSERT_TRUE(server.WaitForRequests(1, 5s));
        const RecordedRequest r = server.Requests().at(0);
        EXPECT_EQ(r.raw, c.bytes);
        EXPECT_FALSE(r.complete);
        EXPECT_TRUE(server.WaitForAllClosed(5s));
    }
}

TEST(LoopbackServer, ServesOtherConnectionsWhileOneIsHeld) {
    LoopbackServer server;
    server.Enqueue(NoReply());
    RawClient held(server.port());
    held.Send("GET /held HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(server.WaitForRequests(1, 5s));
    RawClient other(server.port());
    other.Send("GET /other HTTP/1.1\r\n\r\n");
    EXPECT_TRUE(other.Read().starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_EQ(server.ConnectionsOpen(), 1u);
    EXPECT_EQ(held.Read(SIZE_MAX, 100ms), "");
}

TEST(LoopbackServer, StopsWhileStallingAndWhileConnectionsAreHeld) {
    // A hang here is what this test catches (CTest's time-out ends it).
    auto server = std::make_unique<LoopbackServer>();
    ScriptedReply stall{"HTTP/1.1 200 OK\r\n\r\nxx"};
    stall.stallAt = 5;
    stall.stallAfterBytes = std::chrono::hours(1);
    server->Enqueue(stall);
    server->Enqueue(NoReply());
    RawClient a(server->port());
    RawClient b(server->port());
    RawClient idle(server->port());  // sends nothing at all
    a.Send("GET /a HTTP/1.1\r\n\r\n");
    EXPECT_EQ(a.Read(5), "HTTP/");  // the stall has begun
    b.Send("GET /b HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(server->WaitForRequests(2, 5s));
    server.reset();
    EXPECT_EQ(a.Read(), "");
    EXPECT_EQ(b.Read(), "");
}

}  // namespace
}  // namespace zu::test
