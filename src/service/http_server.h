// A small HTTP/1.1 server on a loopback port: GET only, one request per
// connection, a fixed pool of worker threads, a bounded request head and
// time limits for slow clients.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zu::service {

struct HttpRequest {
    std::string method;
    std::string target;  // path and query, bytes as sent
};

struct HttpReply {
    int status = 200;
    std::string body;
    std::string contentType = "text/html; charset=GBK";
};

class HttpServer {
public:
    using Handler = std::function<HttpReply(const HttpRequest&)>;
    struct Options {
        std::uint16_t port = 0;          // 0: a free port
        int workers = 4;
        std::size_t maxHead = 16 * 1024;  // request line and headers
        std::size_t maxWaiting = 64;      // accepted connections waiting for a worker
        std::chrono::milliseconds readLimit{5000};   // to receive the whole head
        std::chrono::milliseconds writeLimit{5000};  // to send the whole reply
        std::function<void()> warmUp;     // run by the first worker before it serves
    };

    HttpServer() = default;
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;
    ~HttpServer();

    // Binds 127.0.0.1 and starts serving; false when the port cannot be had.
    bool Start(Handler handler, Options options);
    void Stop();
    std::uint16_t port() const { return port_; }

private:
    void AcceptLoop();
    void WorkerLoop(bool first);
    void Serve(int fd);

    Handler handler_;
    Options options_;
    int listenFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<int> waiting_;
    std::thread acceptor_;
    std::vector<std::thread> workers_;
};

// The status line's reason text for the codes the service uses.
const char* ReasonPhrase(int status);

}  // namespace zu::service
