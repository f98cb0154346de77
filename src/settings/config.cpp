#include "settings/config.h"


#include "settings/registry.h"

namespace zu {
namespace {

constexpr std::string_view kServicesKey = "SOFTWARE\\ZuZIvi\\Services\\";

std::string ReadService(std::string_view name) {
    return RegistryReadText(RegistryRoot::LocalMachine, std::string(kServicesKey) + std::string(name));
}

ServiceConfig& Current() {
    static ServiceConfig config = [] {
        ServiceConfig c;
        c.productSite = std::string(kDefaultProductSite);
        return c;
    }();
    return config;
}

}  // namespace

ServiceConfig ReadServiceConfig() {
    ServiceConfig c;
    c.listEndpoint = ReadService("ListEndpoint");
    c.companyEndpoint = ReadService("CompanyEndpoint");
    c.scoringEndpoint = ReadService("ScoringEndpoint");
    c.serviceSite = ReadService("ServiceSite");
    c.productSite = ReadService("ProductSite");
    c.updateServer = ReadService("UpdateServer");
    c.downloadHost = ReadService("DownloadHost");
    if (c.productSite.empty()) c.productSite = std::string(kDefaultProductSite);
    return c;
}

const ServiceConfig& Config() { return Current(); }

void SetConfig(ServiceConfig config) { Current() = std::move(config); }

}  // namespace zu
