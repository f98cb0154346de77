// A scripted HTTP server on the loopback interface for the tests.
//
// It plays the outside web services: every request is recorded byte for byte,
// and every reply is sent exactly as scripted, so a test can answer with a
// status line without a reason phrase, oversized headers, a body with zero
// bytes, a reply that stalls, breaks off or never comes.
//
//   zu::test::LoopbackServer server;
//   server.Enqueue(zu::test::HttpReply("<html>hello</html>"));
//   auto body = zu::WebFetch(server.baseAddress() + "/page?x=1");
//   ASSERT_TRUE(server.WaitForRequests(1, std::chrono::seconds(5)));
//   EXPECT_EQ(server.Requests()[0].target, "/page?x=1");
//
// The server listens on 127.0.0.1 on a port the system picks and runs its own
// threads: one accepts, one serves each connection, so several connections
// are served at once. After a reply the connection is closed unless the reply
// says otherwise. The destructor stops everything promptly, also in the
// middle of a stall or while a client keeps a connection open.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zu::test {

// One request as it arrived.
struct RecordedRequest {
    std::string raw;                       // every byte received: head and body
    std::string requestLine;               // "GET /a?b=1 HTTP/1.1", without the line break
    std::string method;                    // "GET"
    std::string target;                    // "/a?b=1", the raw bytes
    std::vector<std::string> headerLines;  // in order, each without its line break
    std::string body;                      // read by Content-Length (empty without it)
    // false: the client closed before the end of the head or body, or sent
    // bytes that cannot begin a request (a TLS handshake, say); the
    // connection was then closed without a reply.
    bool complete = true;
};

// A pause while sending a reply: after the first `at` bytes, wait `duration`.
struct Pause {
    std::size_t at = 0;
    std::chrono::milliseconds duration{0};
};

// The answer to one request.
struct ScriptedReply {
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    std::string bytes;  // sent exactly as given, nothing added

    // One optional stall: after the first `stallAt` bytes, wait
    // `stallAfterBytes` before sending the rest. npos: no stall. A stall or
    // pause ends early, and the connection with it, when the client closes.
    std::chrono::milliseconds stallAfterBytes{0};
    std::size_t stallAt = npos;

    // Further pauses, to send the reply in several writes (any order; each
    // `at` is clamped to the reply's length).
    std::vector<Pause> pauses{};

    // true: close the connection once the bytes are sent. false: keep it open
    // and read the next request from it, until the client closes it or the
    // server stops (keep-alive, or a reply that never ends).
    bool closeAfter = true;

    // true: end the connection with a reset (RST) instead of an orderly close,
    // after the bytes are sent.
    bool resetAfter = false;
};

// A complete reply: "HTTP/1.1 <status> <reason>", Content-Type (left out when
// empty), Content-Length, "Connection: close", then `extraHeaders` (header
// lines separated by "\r\n"; a trailing line break is optional), a blank line
// and the body.
ScriptedReply HttpReply(std::string body, std::string contentType = "text/html", int status = 200,
                        std::string extraHeaders = "");

// A redirect with the given status (301, 302, ...) and Location value.
ScriptedReply RedirectReply(int status, std::string location, std::string extraHeaders = "");

// Closes the connection without sending a byte (an empty reply).
ScriptedReply EmptyReply();

// Sends nothing and keeps the connection open: a reply that never comes.
ScriptedReply NoReply();

// Sends the head of a reply announcing `announcedLength` body bytes, then only
// `body`, then resets the connection: a reply broken off in the middle.
ScriptedReply BrokenOffReply(std::string body, std::size_t announcedLength);

class LoopbackServer {
public:
    // Starts listening on 127.0.0.1 at a free port. Throws std::runtime_error
    // when no socket can be had.
    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t port() const;
    std::string baseAddress() const;  // "http://127.0.0.1:N"

    // Replies used in order, one per request.
    void Enqueue(ScriptedReply reply);
    // Used when the queue is empty. It runs on the connection's thread, so
    // it may be called for several requests at once. Without a handler the
    // answer is "HTTP/1.1 200 OK" with an empty body.
    void SetHandler(std::function<ScriptedReply(const RecordedRequest&)> handler);

    // Every request recorded so far, in the order their reading finished.
    std::vector<RecordedRequest> Requests() const;
    // Waits until at least n requests were recorded; false on time-out.
    bool WaitForRequests(std::size_t n, std::chrono::milliseconds timeout) const;
    // Connections accepted so far, and those still open on the server side.
    std::size_t ConnectionsAccepted() const;
    // A connection stops counting as open before the server closes it, so
    // a client that has seen the close never finds it still counted.
    std::size_t ConnectionsOpen() const;
    // Waits until no connection is open on the server side; false on time-out.
    bool WaitForAllClosed(std::chrono::milliseconds timeout) const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace zu::test
