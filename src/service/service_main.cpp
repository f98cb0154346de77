// zu-naming-service --port N: the built-in naming service as a program of its
// own, serving 127.0.0.1:N until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "service/builtin_service.h"
#include "service/http_server.h"

int main(int argc, char** argv) {
    long port = -1;
    int workers = 4;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--port" || arg == "--workers") && i + 1 < argc) {
            char* end = nullptr;
            const long v = std::strtol(argv[++i], &end, 10);
            if (!end || *end) port = -2;
            if (arg == "--port") port = port == -2 ? -2 : v; else workers = static_cast<int>(v);
        } else {
            port = -2;
        }
    }
    if (port < 0 || port > 65535 || workers < 1 || workers > 64) {
        std::fprintf(stderr, "usage: zu-naming-service --port N [--workers W]\n"
                             "  serves the naming service on 127.0.0.1:N (0: a free port) until ended\n");
        return 2;
    }
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);  // the threads started below inherit the mask

    zu::service::HttpServer server;
    if (!zu::service::StartNamingService(server, static_cast<std::uint16_t>(port), workers)) {
        std::fprintf(stderr, "zu-naming-service: cannot listen on 127.0.0.1:%ld: %s\n", port, std::strerror(errno));
        return 1;
    }
    std::printf("http://127.0.0.1:%u\n", static_cast<unsigned>(server.port()));
    std::fflush(stdout);
    int sig = 0;
    sigwait(&set, &sig);
    server.Stop();
    return 0;
}
