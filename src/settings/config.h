// Where the outside services are: string values of
// HKEY_LOCAL_MACHINE\SOFTWARE\ZuZIvi\Services, read once at start-up.
#pragma once

#include <string>
#include <string_view>

namespace zu {

struct ServiceConfig {
    std::string listEndpoint;     // "ListEndpoint"
    std::string companyEndpoint;  // "CompanyEndpoint"
    std::string scoringEndpoint;  // "ScoringEndpoint" (B)
    std::string serviceSite;      // "ServiceSite" (W)
    std::string productSite;      // "ProductSite" (P, as displayed)
    std::string updateServer;     // "UpdateServer"
    std::string downloadHost;     // "DownloadHost"
};

// The product's web address shown when "ProductSite" is not configured.
inline constexpr std::string_view kDefaultProductSite = "www.zuzivi.example";

// Reads the configured values from the registry (empty where not configured,
// except productSite, which falls back to kDefaultProductSite).
ServiceConfig ReadServiceConfig();

// The configuration in force for this process.
const ServiceConfig& Config();
void SetConfig(ServiceConfig config);

}  // namespace zu
