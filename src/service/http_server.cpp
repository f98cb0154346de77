#include "service/http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zu::service {
namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

bool SendAll(int fd, const std::string& data, Clock::time_point deadline) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{fd, POLLOUT, 0};
            const int wait = Remaining(deadline);
            if (wait == 0 || ::poll(&p, 1, wait) <= 0) return false;
            continue;
        }
        return false;
    }
    return true;
}

std::string Serialize(const HttpReply& reply) {
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + ReasonPhrase(reply.status) +
                       "\r\nContent-Type: " + reply.contentType +
                       "\r\nContent-Length: " + std::to_string(reply.body.size()) +
                       "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n";
    return head + reply.body;
}

HttpReply Plain(int status) {
    return {status, "<html><body><p>" + std::to_string(status) + " " + ReasonPhrase(status) + "</p></body></html>\r\n",
            "text/html; charset=GBK"};
}

// After the reply, read what the client still sends for a short while, so that
// closing with unread bytes does not reset the connection before the client
// has read the reply.
void Linger(int fd) {
    ::shutdown(fd, SHUT_WR);
    const auto deadline = Clock::now() + std::chrono::milliseconds(500);
    char sink[8192];
    std::size_t drained = 0;
    while (drained < (4u << 20)) {
        pollfd p{fd, POLLIN, 0};
        const int wait = Remaining(deadline);
        if (wait == 0 || ::poll(&p, 1, wait) <= 0) break;
        const ssize_t n = ::recv(fd, sink, sizeof sink, MSG_DONTWAIT);
        if (n <= 0) break;
        drained += static_cast<std::size_t>(n);
    }
}

}  // namespace

const char* ReasonPhrase(int status) {
    switch (status) {
        case 200: return "OK";
        case 400: return "Bad Request";
        case 404: return "Not Found";
        case 405: return "Method Not Allowed";
        case 408: return "Request Timeout";
        case 414: return "URI Too Long";
        case 431: return "Request Header Fields Too Large";
        case 500: return "Internal Server Error";
        case 503: return "Service Unavailable";
        default: return "Status";
    }
}

HttpServer::~HttpServer() { Stop(); }

bool HttpServer::Start(Handler handler, Options options) {
    if (listenFd_ >= 0) return false;
    handler_ = std::move(handler);
    options_ = std::move(options);
    if (options_.workers < 1) options_.workers = 1;
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd_ < 0) return false;
    const int yes = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(options_.port);
    socklen_t len = sizeof addr;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listenFd_, 128) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0 ||
        ::pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        return false;
    }
    port_ = ntohs(addr.sin_port);
    stopping_ = false;
    for (int i = 0; i < options_.workers; ++i) workers_.emplace_back([this, i] { WorkerLoop(i == 0); });
    acceptor_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void HttpServer::Stop() {
    if (listenFd_ < 0) return;
    stopping_ = true;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakePipe_[1], &byte, 1);
    ready_.notify_all();
    if (acceptor_.joinable()) acceptor_.join();
    for (auto& w : workers_)
        if (w.joinable()) w.join();
    workers_.clear();
    for (int fd : waiting_) ::close(fd);
    waiting_.clear();
    ::close(listenFd_);
    ::close(wakePipe_[0]);
    ::close(wakePipe_[1]);
    listenFd_ = wakePipe_[0] = wakePipe_[1] = -1;
}

void HttpServer::AcceptLoop() {
    while (!stopping_) {
        pollfd p[2] = {{listenFd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        if (::poll(p, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (stopping_ || (p[1].revents & POLLIN)) break;
        if (!(p[0].revents & POLLIN)) continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EMFILE || errno == ENFILE)  // out of descriptors: let workers catch up
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::unique_lock lock(mutex_);
        if (waiting_.size() >= options_.maxWaiting) {
            lock.unlock();
            // Too many at once: a short refusal rather than an unbounded queue.
            SendAll(fd, Serialize(Plain(503)), Clock::now() + std::chrono::milliseconds(100));
            ::close(fd);
            continue;
        }
        waiting_.push_back(fd);
        lock.unlock();
        ready_.notify_one();
    }
}

void HttpServer::WorkerLoop(bool first) {
    if (first && options_.warmUp) options_.warmUp();
    for (;;) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (stopping_) return;
        const int fd = waiting_.front();
        waiting_.pop_front();
        lock.unlock();
        Serve(fd);
        ::close(fd);
    }
}

void HttpServer::Serve(int fd) {
    const auto readDeadline = Clock::now() + options_.readLimit;
    std::string head;
    std::size_t headEnd = std::string::npos;
    char buf[4096];
    while (headEnd == std::string::npos) {
        if (head.size() > options_.maxHead) {
            SendAll(fd, Serialize(Plain(431)), Clock::now() + options_.writeLimit);
            Linger(fd);
            return;
        }
        pollfd p{fd, POLLIN, 0};
        const int wait = Remaining(readDeadline);
        const int ready = wait == 0 ? 0 : ::poll(&p, 1, wait);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            SendAll(fd, Serialize(Plain(408)), Clock::now() + std::chrono::milliseconds(200));
            return;
        }
        const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
        if (n <= 0) return;  // the client went away
        const std::size_t searchFrom = head.size() >= 3 ? head.size() - 3 : 0;
        head.append(buf, static_cast<std::size_t>(n));
        headEnd = head.find("\r\n\r\n", searchFrom);
        if (headEnd == std::string::npos) headEnd = head.find("\n\n", searchFrom);
    }

    HttpReply reply;
    const std::size_t lineEnd = head.find_first_of("\r\n");
    const std::string line = head.substr(0, lineEnd);
    const std::size_t sp1 = line.find(' ');
    const std::size_t sp2 = line.rfind(' ');
    if (sp1 == std::string::npos || sp2 == sp1 || line.compare(sp2 + 1, 5, "HTTP/") != 0) {
        reply = Plain(400);
    } else {
        HttpRequest request{line.substr(0, sp1), line.substr(sp1 + 1, sp2 - sp1 - 1)};
        if (request.method != "GET" && request.method != "HEAD") {
            reply = Plain(405);
        } else if (request.target.empty() || request.target[0] != '/') {
            reply = Plain(400);
        } else {
            try {
                reply = handler_(request);
            } catch (...) {
                reply = Plain(500);  // a fault in one request never ends the service
            }
            if (request.method == "HEAD") {
                std::string head = Serialize(reply);
                SendAll(fd, head.substr(0, head.size() - reply.body.size()), Clock::now() + options_.writeLimit);
                Linger(fd);
                return;
            }
        }
    }
    SendAll(fd, Serialize(reply), Clock::now() + options_.writeLimit);
    Linger(fd);
}

}  // namespace zu::service
