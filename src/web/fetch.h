// Fetching one web page over HTTP (libcurl).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zu {

// The optional arguments of a fetch. Every caller in the program passes the
// address alone; the rest exists for the complete contract. A null pointer is an
// argument left out, which is not the same as one given empty: the cookie
// variable and the proxy address behave differently when they are present.
struct FetchArgs {
    int method = 0;                         // 0 GET, 1 POST
    std::string textBody;                   // POST form data when the byte body is empty
    std::string* cookies = nullptr;         // in/out; present: curl's cookie engine is off
    std::string* replyCookies = nullptr;    // out
    std::string* headers = nullptr;         // in/out: completed in place
    std::string* redirect = nullptr;        // out
    bool noRedirect = false;
    std::string* byteBody = nullptr;        // in/out
    std::optional<std::string> proxy;       // "host:port"
    std::string* rawHeaders = nullptr;      // out
};

// The reply body as GBK text (up to its first zero byte); empty on any failure.
std::string WebFetch(std::string_view address, const FetchArgs& args = {});
// The reply body as bytes; empty on any failure.
std::string WebFetchBytes(std::string_view address, const FetchArgs& args = {});

}  // namespace zu
