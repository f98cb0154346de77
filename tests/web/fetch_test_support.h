// Shared pieces of the fetch tests: the loopback server fixture and helpers.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/loopback_server.h"
#include "web/fetch.h"

namespace zu::testing {

using namespace std::chrono_literals;
using test::HttpReply;
using test::LoopbackServer;
using test::RecordedRequest;
using test::ScriptedReply;

inline const std::string kDefaultAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; R4TNV; .NET CLR 2.0.50727; "
    ".NET CLR 3.0.04506.648; .NET CLR 3.5.21022)";

inline const std::string kBlankHeaders(5000, ' ');

// The four lines an address-only call adds, for the given Referer.
inline std::vector<std::string> DefaultBlockLines(const std::string& referer) {
    return {"Referer: " + referer, "Accept: */*", "Accept-Language: zh-cn",
            "Content-Type: application/x-www-form-urlencoded"};
}

class FetchTest : public ::testing::Test {
protected:
    std::string Url(const std::string& path) const { return server.baseAddress() + path; }
    std::string HostLine() const { return "Host: 127.0.0.1:" + std::to_string(server.port()); }
    // The one request the server got; fails the test when there is not exactly one.
    RecordedRequest OnlyRequest() const {
        const auto requests = server.Requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? RecordedRequest{} : requests.front();
    }

    LoopbackServer server;
};

}  // namespace zu::testing
