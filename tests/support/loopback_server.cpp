#include "support/loopback_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <list>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

namespace zu::test {

namespace {

const char* ReasonPhrase(int status) {
    switch (status) {
        case 200: return "OK";
        case 204: return "No Content";
        case 301: return "Moved Permanently";
        case 302: return "Found";
        case 303: return "See Other";
        case 304: return "Not Modified";
        case 307: return "Temporary Redirect";
        case 308: return "Permanent Redirect";
        case 400: return "Bad Request";
        case 403: return "Forbidden";
        case 404: return "Not Found";
        case 500: return "Internal Server Error";
        case 503: return "Service Unavailable";
        default: return "Status";
    }
}

std::string HeaderBlock(std::string extra) {
    if (!extra.empty() && !extra.ends_with("\r\n")) extra += "\r\n";
    return extra;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(const std::string& line, std::string_view prefix) {
    if (line.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Lower(line[i]) != Lower(prefix[i])) return false;
    return true;
}

// Where the head of a request ends (just past the blank line), or npos.
std::size_t HeadEnd(const std::string& data) {
    const auto crlf = data.find("\r\n\r\n");
    const auto lf = data.find("\n\n");
    if (crlf == std::string::npos && lf == std::string::npos) return std::string::npos;
    if (crlf != std::string::npos && (lf == std::string::npos || crlf < lf)) return crlf + 4;
    return lf + 2;
}

// Fills the parsed fields of a request from its head; returns the body length
// its Content-Length announces (0 without one).
std::size_t ParseHead(const std::string& head, RecordedRequest& request) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < head.size()) {
        auto end = head.find('\n', start);
        if (end == std::string::npos) end = head.size();
        std::string line = head.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    if (lines.empty()) return 0;

    request.requestLine = lines[0];
    const auto firstSpace = request.requestLine.find(' ');
    request.method = request.requestLine.substr(0, firstSpace);
    if (firstSpace != std::string::npos) {
        const auto secondSpace = request.requestLine.find(' ', firstSpace + 1);
        request.target = request.requestLine.substr(
            firstSpace + 1,
            secondSpace == std::string::npos ? std::string::npos : secondSpace - firstSpace - 1);
    }
    std::size_t contentLength = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (StartsWithNoCase(lines[i], "content-length:")) {
            try {
                contentLength = std::stoul(lines[i].substr(15));
            } catch (...) {
                contentLength = 0;
            }
        }
        request.headerLines.push_back(lines[i]);
    }
    return contentLength;
}

}  // namespace

ScriptedReply HttpReply(std::string body, std::string contentType, int status,
                        std::string extraHeaders) {
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + ReasonPhrase(status) + "\r\n";
    if (!contentType.empty()) head += "Content-Type: " + contentType + "\r\n";
    head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    head += "Connection: close\r\n";
    head += HeaderBlock(std::move(extraHeaders));
    head += "\r\n";
    ScriptedReply reply;
    reply.bytes = head + body;
    return reply;
}

ScriptedReply RedirectReply(int status, std::string location, std::string extraHeaders) {
    return HttpReply("", "text/html", status,
                     "Location: " + location + "\r\n" + HeaderBlock(std::move(extraHeaders)));
}

ScriptedReply EmptyReply() { return ScriptedReply{}; }

ScriptedReply NoReply() {
    ScriptedReply reply;
    reply.closeAfter = false;
    return reply;
}

ScriptedReply BrokenOffReply(std::string body, std::size_t announcedLength) {
    ScriptedReply reply;
    reply.bytes = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                  std::to_string(announcedLength) + "\r\nConnection: close\r\n\r\n" + body;
    reply.resetAfter = true;
    return reply;
}

struct LoopbackServer::State {
    int listenFd = -1;
    int wakeRead = -1;   // becomes readable when the server stops
    int wakeWrite = -1;
    std::uint16_t port = 0;
    std::atomic<bool> stopping{false};

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::deque<ScriptedReply> queue;
    std::function<ScriptedReply(const RecordedRequest&)> handler;
    std::vector<RecordedRequest> requests;
    std::size_t accepted = 0;
    std::size_t open = 0;

    struct Connection {
        std::thread thread;
        std::atomic<bool> done{false};
    };
    std::list<Connection> connections;  // touched only by the accept thread and the destructor
    std::thread acceptThread;

    // Waits until fd is ready for `events` (or has an error); false when the
    // server stops.
    bool WaitFor(int fd, short events) const {
        pollfd fds[2] = {{fd, events, 0}, {wakeRead, POLLIN, 0}};
        for (;;) {
            const int n = ::poll(fds, 2, -1);
            if (n < 0 && errno == EINTR) continue;
            return n > 0 && fds[1].revents == 0;
        }
    }

    // Sleeps for `duration` unless the server stops or the client goes away
    // first (then false), so that a stall ends when the client gives up.
    bool Sleep(int fd, std::chrono::milliseconds duration) const {
        if (duration.count() <= 0) return !stopping;
        pollfd fds[2] = {{wakeRead, POLLIN, 0}, {fd, POLLRDHUP, 0}};
        const auto until = std::chrono::steady_clock::now() + duration;
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            if (left.count() <= 0) return !stopping;
            const int n = ::poll(fds, 2, static_cast<int>(std::min<long long>(left.count(), 1 << 30)));
            if (n > 0) return false;
        }
    }

    bool SendAll(int fd, std::string_view bytes) const {
        while (!bytes.empty()) {
            if (!WaitFor(fd, POLLOUT)) return false;
            const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

    // Sends a reply with its pauses; false when the connection or the server
    // went away meanwhile.
    bool Send(int fd, const ScriptedReply& reply) const {
        std::vector<Pause> pauses = reply.pauses;
        if (reply.stallAt != ScriptedReply::npos) pauses.push_back({reply.stallAt, reply.stallAfterBytes});
        for (auto& p : pauses) p.at = std::min(p.at, reply.bytes.size());
        std::stable_sort(pauses.begin(), pauses.end(),
                         [](const Pause& a, const Pause& b) { return a.at < b.at; });
        std::size_t sent = 0;
        for (const auto& p : pauses) {
            if (!SendAll(fd, std::string_view(reply.bytes).substr(sent, p.at - sent))) return false;
            sent = p.at;
            if (!Sleep(fd, p.duration)) return false;
        }
        return SendAll(fd, std::string_view(reply.bytes).substr(sent));
    }

    // Records a request and takes the queued reply that belongs to it, in one
    // step, so replies are matched to requests in the order they were
    // recorded even when several connections finish a request at once.
    std::optional<ScriptedReply> RecordAndTake(RecordedRequest request,
                                               std::function<ScriptedReply(const RecordedRequest&)>& use) {
        std::lock_guard lock(mutex);
        requests.push_back(std::move(request));
        changed.notify_all();
        if (!queue.empty()) {
            ScriptedReply reply = std::move(queue.front());
            queue.pop_front();
            return reply;
        }
        use = handler;
        return std::nullopt;
    }

    void Record(RecordedRequest request) {
        std::lock_guard lock(mutex);
        requests.push_back(std::move(request));
        changed.notify_all();
    }

    // Reads and answers requests on one connection until it ends.
    void Serve(int fd) {
        std::string pending;
        bool reset = false;
        char buffer[4096];
        // Reads more bytes into `pending`; false at end of stream, error or stop.
        auto readMore = [&]() {
            for (;;) {
                if (!WaitFor(fd, POLLIN)) return false;
                const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
                if (n <= 0) return false;
                pending.append(buffer, static_cast<std::size_t>(n));
                return true;
            }
        };
        for (;;) {
            std::size_t headEnd;
            bool ended = false;
            while ((headEnd = HeadEnd(pending)) == std::string::npos) {
                // Bytes that cannot begin a request line (a TLS handshake, say)
                // end the connection at once, as a plain HTTP server would.
                if (!pending.empty() && !(pending[0] >= 'A' && pending[0] <= 'Z')) {
                    ended = true;
                    break;
                }
                if (!readMore()) {
                    ended = true;
                    break;
                }
            }
            if (ended) {
                if (!pending.empty() && !stopping) {
                    RecordedRequest partial;
                    partial.raw = pending;
                    ParseHead(pending, partial);
                    partial.complete = false;
                    Record(std::move(partial));
                }
                break;
            }
            RecordedRequest request;
            const std::size_t bodyLength = ParseHead(pending.substr(0, headEnd), request);
            bool complete = true;
            while (pending.size() < headEnd + bodyLength) {
                if (!readMore()) {
                    complete = false;
                    break;
                }
            }
            const std::size_t used = std::min(pending.size(), headEnd + bodyLength);
            request.raw = pending.substr(0, used);
            request.body = pending.substr(headEnd, used - headEnd);
            request.complete = complete;
            pending.erase(0, used);
            if (!complete) {
                Record(std::move(request));
                break;
            }
            const RecordedRequest copy = request;
            std::function<ScriptedReply(const RecordedRequest&)> handlerToUse;
            std::optional<ScriptedReply> queued = RecordAndTake(std::move(request), handlerToUse);
            const ScriptedReply reply = queued ? std::move(*queued)
                                        : handlerToUse ? handlerToUse(copy)
                                                       : HttpReply("", "");
            if (!Send(fd, reply)) break;
            if (reply.resetAfter) {
                reset = true;
                break;
            }
            if (reply.closeAfter) break;
        }
        {
            std::lock_guard lock(mutex);
            --open;
            changed.notify_all();
        }
        if (reset) {
            linger hard{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        } else {
            ::shutdown(fd, SHUT_WR);
        }
        ::close(fd);
    }

    void AcceptLoop() {
        while (WaitFor(listenFd, POLLIN)) {
            const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            {
                std::lock_guard lock(mutex);
                ++accepted;
                ++open;
            }
            // Threads of finished connections are joined here, so a long run
            // does not pile them up.
            for (auto it = connections.begin(); it != connections.end();) {
                if (it->done) {
                    it->thread.join();
                    it = connections.erase(it);
                } else {
                    ++it;
                }
            }
            auto& connection = connections.emplace_back();
            connection.thread = std::thread([this, fd, &connection] {
                Serve(fd);
                connection.done = true;
            });
        }
    }
};

LoopbackServer::LoopbackServer() : state_(std::make_unique<State>()) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("loopback server: no pipe");
    state_->wakeRead = pipeFds[0];
    state_->wakeWrite = pipeFds[1];

    state_->listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (state_->listenFd < 0) throw std::runtime_error("loopback server: no socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(state_->listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(state_->listenFd, 64) != 0 ||
        ::getsockname(state_->listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(state_->listenFd);
        ::close(state_->wakeRead);
        ::close(state_->wakeWrite);
        throw std::runtime_error("loopback server: cannot listen on 127.0.0.1");
    }
    state_->port = ntohs(address.sin_port);
    state_->acceptThread = std::thread([s = state_.get()] { s->AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    state_->stopping = true;
    const char wake = 1;
    while (::write(state_->wakeWrite, &wake, 1) < 0 && errno == EINTR) {
    }
    state_->acceptThread.join();
    for (auto& connection : state_->connections) connection.thread.join();
    ::close(state_->listenFd);
    ::close(state_->wakeRead);
    ::close(state_->wakeWrite);
}

std::uint16_t LoopbackServer::port() const { return state_->port; }

std::string LoopbackServer::baseAddress() const {
    return "http://127.0.0.1:" + std::to_string(state_->port);
}

void LoopbackServer::Enqueue(ScriptedReply reply) {
    std::lock_guard lock(state_->mutex);
    state_->queue.push_back(std::move(reply));
}

void LoopbackServer::SetHandler(std::function<ScriptedReply(const RecordedRequest&)> handler) {
    std::lock_guard lock(state_->mutex);
    state_->handler = std::move(handler);
}

std::vector<RecordedRequest> LoopbackServer::Requests() const {
    std::lock_guard lock(state_->mutex);
    return state_->requests;
}

bool LoopbackServer::WaitForRequests(std::size_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(state_->mutex);
    return state_->changed.wait_for(lock, timeout, [&] { return state_->requests.size() >= n; });
}

std::size_t LoopbackServer::ConnectionsAccepted() const {
    std::lock_guard lock(state_->mutex);
    return state_->accepted;
}

std::size_t LoopbackServer::ConnectionsOpen() const {
    std::lock_guard lock(state_->mutex);
    return state_->open;
}

bool LoopbackServer::WaitForAllClosed(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(state_->mutex);
    return state_->changed.wait_for(lock, timeout, [&] { return state_->open == 0; });
}

}  // namespace zu::test
