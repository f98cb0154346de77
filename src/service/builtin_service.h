// The program's own naming service, served over HTTP on a loopback port.
#pragma once

#include <cstdint>
#include <string>

namespace zu {

namespace service {
class HttpServer;
// Starts the naming service on `server`, bound to 127.0.0.1:port (0: a free
// port), with `workers` threads; the data load on the first worker thread, so
// starting costs the caller nothing but the bind.
bool StartNamingService(HttpServer& server, std::uint16_t port, int workers);
}  // namespace service

// Starts the service inside this process (once) and returns its base address,
// "http://127.0.0.1:<port>"; empty when it could not start.
std::string StartBuiltInService();

}  // namespace zu
