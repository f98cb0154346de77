// A plain HTTP client for the service tests: sends exactly the bytes given
// (raw GBK targets, malformed requests, slow or oversized ones) over loopback
// and reads the whole reply.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

namespace zu::service::testing {

struct RawReply {
    bool wellFormed = false;  // a status line, headers, and as many body bytes as Content-Length says
    int status = 0;
    std::string body;
};

inline RawReply ParseReply(const std::string& raw) {
    RawReply r;
    const std::size_t headEnd = raw.find("\r\n\r\n");
    if (raw.rfind("HTTP/1.1 ", 0) != 0 || headEnd == std::string::npos) return r;
    r.status = std::atoi(raw.c_str() + 9);
    const std::size_t cl = raw.find("Content-Length: ");
    if (cl == std::string::npos || cl > headEnd) return r;
    const std::size_t length = std::stoul(raw.substr(cl + 16));
    r.body = raw.substr(headEnd + 4);
    r.wellFormed = r.body.size() == length;
    return r;
}

inline int Connect(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline std::string ReadAll(int fd, std::chrono::milliseconds limit) {
    std::string raw;
    char buf[8192];
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        raw.append(buf, static_cast<std::size_t>(n));
    }
    return raw;
}

// Sends `request` whole (a send that the server refuses midway is fine) and
// returns the reply read until the server closes.
inline RawReply Exchange(std::uint16_t port, std::string_view request,
                         std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const int fd = Connect(port);
    if (fd < 0) return {};
    std::size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
    }
    const RawReply r = ParseReply(ReadAll(fd, limit));
    ::close(fd);
    return r;
}

inline RawReply Get(std::uint16_t port, std::string_view target) {
    return Exchange(port, "GET " + std::string(target) + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: */*\r\n\r\n");
}

}  // namespace zu::service::testing
