// The naming service's endpoints: the request target in, the reply out. Used
// by the HTTP server; callable without one.
#pragma once

#include <map>
#include <random>
#include <string>
#include <string_view>

namespace zu::service {

struct EndpointReply {
    int status = 200;
    std::string body;  // GBK
};

// The query of a request target as key/value pairs. Values arrive as raw GBK
// bytes; %-escapes are decoded, and a value that is UTF-8 rather than GBK is
// converted to GBK.
std::map<std::string, std::string> ParseQuery(std::string_view target);
std::string DecodeQueryValue(std::string_view raw);

// Answers one GET. `selfBase` is this service's own address
// ("http://127.0.0.1:N"), which the scoring page names as its site. A request
// the service cannot answer gets a small page without any reply marker, so a
// client reads it as a failure.
EndpointReply Answer(std::string_view target, std::string_view selfBase, std::mt19937_64& rng);

// The three endpoints, for tests and benchmarks.
EndpointReply ListEndpoint(const std::map<std::string, std::string>& query, std::mt19937_64& rng);
EndpointReply CompanyEndpoint(const std::map<std::string, std::string>& query, std::mt19937_64& rng);
EndpointReply ScoringEndpoint(const std::map<std::string, std::string>& query, std::string_view selfBase);

// The analysis of a name, as the scoring page shows it (GBK HTML).
std::string NameAnalysis(std::string_view surname, std::string_view given, std::string_view selfBase);

}  // namespace zu::service
