#include "service/builtin_service.h"

#include <mutex>
#include <random>

#include "service/endpoints.h"
#include "service/http_server.h"
#include "service/names.h"
#include "service/service_data.h"

namespace zu {
namespace service {

void WarmUp() {
    Data();
    GivenNamePool(Sex::Boy);
    GivenNamePool(Sex::Girl);
}

bool StartNamingService(HttpServer& server, std::uint16_t port, int workers) {
    HttpServer::Options options;
    options.port = port;
    options.workers = workers;
    options.warmUp = WarmUp;
    // The address the scoring page names as its own is known once bound.
    return server.Start(
        [&server](const HttpRequest& request) {
            // Every worker thread draws from its own generator, seeded afresh,
            // so every reply is a new choice.
            thread_local std::mt19937_64 rng{std::random_device{}()};
            const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
            EndpointReply r = Answer(request.target, base, rng);
            return HttpReply{r.status, std::move(r.body)};
        },
        options);
}

}  // namespace service

std::string StartBuiltInService() {
    static std::once_flag once;
    static std::string address;
    std::call_once(once, [] {
        // Never destroyed: the service serves until the process ends, and the
        // end of the process must not wait for its threads.
        auto* server = new service::HttpServer;
        if (service::StartNamingService(*server, 0, 4))
            address = "http://127.0.0.1:" + std::to_string(server->port());
    });
    return address;
}

}  // namespace zu
