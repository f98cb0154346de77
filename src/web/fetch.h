// Fetching one web page over HTTP (libcurl).
//
// Every caller in the program passes the address alone and gets a plain GET
// with a fixed browser-like header set; the optional arguments (POST body,
// cookie handling, extra headers, redirect control, proxy, reply headers)
// complete the contract. The call blocks until the whole reply has been read
// and may run on any thread. Any failure (no connection, refused, time-out,
// a reply broken off or empty) gives the empty result; nothing is shown or
// logged, callers judge success by the content.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace zu {

// The optional arguments of a fetch. A null pointer is an argument left out,
// which is not the same as one given empty: the cookie variable and the proxy
// address behave differently when they are present.
struct FetchArgs {
    int method = 0;                         // 1 POST, anything else GET
    std::string textBody;                   // POST form data when the byte body is empty
    // in/out. Present: sent as a "Cookie:" line when non-empty, the shared
    // cookie store is not used, and after the reply it holds the merged set
    // (the reply's cookies first, "=deleted" items dropped).
    std::string* cookies = nullptr;
    std::string* replyCookies = nullptr;    // out: "a=1; b=2" from the Set-Cookie lines
    // in/out: header lines joined by "\r\n", completed in place with the
    // Referer, Accept, Accept-Language and Content-Type lines it lacks.
    std::string* headers = nullptr;
    // out: the reply's Location value or, without one, the raw reply headers.
    std::string* redirect = nullptr;
    bool noRedirect = false;                // do not follow redirects automatically
    std::string* byteBody = nullptr;        // in/out: POST body; when empty, set to the text body
    std::optional<std::string> proxy;       // "host:port", used for plain-http requests only
    // out: the status line and header lines of the final reply, each ended by
    // "\r\n"; 5000 spaces when nothing came back or the text would not fit in
    // 5000 bytes with its terminating zero.
    std::string* rawHeaders = nullptr;
};

// The reply body as GBK text (up to its first zero byte); empty on any failure.
// A body declaring "utf-8" near its start, or a reply whose headers mention
// utf-8, is converted to GBK first.
std::string WebFetch(std::string_view address, const FetchArgs& args = {});
// The reply body as bytes (converted like WebFetch's); empty on any failure.
std::string WebFetchBytes(std::string_view address, const FetchArgs& args = {});

// How an address is taken apart: the lower-cased host, the port and the path
// with its query, letters unchanged. A missing scheme means http.
struct AddressParts {
    std::string host;
    int port = 0;       // -1: a port that cannot be used (above 65535)
    std::string path;   // "/" when the address has none
    bool secure = false;  // https
};
AddressParts SplitAddress(std::string_view address);

// Connection time-out, and how long a transfer may deliver nothing before it
// is abandoned. The defaults (15 s, 30 s) serve the program; tests shorten
// them so that a stalled reply does not hold them up.
struct FetchTimeouts {
    std::chrono::milliseconds connect{15000};
    std::chrono::seconds idle{30};
};
void SetFetchTimeouts(FetchTimeouts timeouts);
FetchTimeouts GetFetchTimeouts();

}  // namespace zu
