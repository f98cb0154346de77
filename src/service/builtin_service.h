// The program's own naming service, served over HTTP on a loopback port.
#pragma once

#include <string>

namespace zu {

// Starts the service inside this process (once) and returns its base address,
// "http://127.0.0.1:<port>"; empty when it could not start.
std::string StartBuiltInService();

}  // namespace zu
