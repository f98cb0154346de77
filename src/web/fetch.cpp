// The web page fetch over libcurl's easy interface: one handle per call, the
// request target sent as the exact bytes of the path and query (raw GBK), and
// the browser-like header block, reply headers, cookies and 301 repetition of
// the fetch contract built on top.
#include "web/fetch.h"

#include <curl/curl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "web/codecs.h"
#include "web/text.h"

namespace zu {
namespace {

using text::Case;

constexpr std::string_view kDefaultAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; R4TNV; .NET CLR 2.0.50727; "
    ".NET CLR 3.0.04506.648; .NET CLR 3.5.21022)";
// The reply-header text must fit in this many bytes, its terminating zero
// included; otherwise it reads as this many spaces.
constexpr std::size_t kHeaderBuffer = 5000;
// A server that keeps answering "301 Moved" gets this many repeats; the last
// reply is then returned as it is.
constexpr int kMaxMovedRepeats = 10;
// Redirects the transport follows by itself within one request.
constexpr int kMaxFollowedRedirects = 10;

std::atomic<long long> gConnectMs{15000};
std::atomic<long long> gIdleSeconds{30};

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The process-wide cookie store (and DNS cache) used by every fetch that is
// given no cookie variable. It lives until the process ends: fetches on other
// threads may still use it while static objects are destroyed.
class SharedStore {
public:
    static CURLSH* Handle() {
        static SharedStore* store = new SharedStore;
        return store->share_;
    }

private:
    SharedStore() : share_(curl_share_init()) {
        if (!share_) return;
        curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &SharedStore::Lock);
        curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &SharedStore::Unlock);
        curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    }
    static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
        static_cast<SharedStore*>(self)->locks_[Index(data)].lock();
    }
    static void Unlock(CURL*, curl_lock_data data, void* self) {
        static_cast<SharedStore*>(self)->locks_[Index(data)].unlock();
    }
    static std::size_t Index(curl_lock_data data) {
        const auto i = static_cast<std::size_t>(data);
        return i < CURL_LOCK_DATA_LAST ? i : 0;
    }

    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks_;
    CURLSH* share_;
};

struct CurlDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
    void operator()(char* s) const { curl_free(s); }
};
template <typename T>
using CurlPtr = std::unique_ptr<T, CurlDeleter>;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           text::ToLowerAscii(text.substr(0, prefix.size())) == text::ToLowerAscii(prefix);
}

// Length of a leading "http://" or "https://", in either case; 0 without one.
std::size_t SchemeLength(std::string_view address) {
    if (StartsWithNoCase(address, "https://")) return 8;
    if (StartsWithNoCase(address, "http://")) return 7;
    return 0;
}

// The port text after the host's last ":": its leading digits. No digits
// means the scheme's default port; a value above 65535 cannot be used.
int PortValue(std::string_view digits, int defaultPort) {
    long value = 0;
    std::size_t i = 0;
    for (; i < digits.size() && digits[i] >= '0' && digits[i] <= '9'; ++i) {
        value = value * 10 + (digits[i] - '0');
        if (value > 65535) return -1;
    }
    return (i == 0 || value == 0) ? defaultPort : static_cast<int>(value);
}

// Bytes that would break the request line (controls, the space, DEL) are
// percent-encoded; every other byte, GBK included, is sent as it is.
std::string RequestTarget(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string target;
    target.reserve(path.size());
    for (const char c : path) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F) {
            target += '%';
            target += kHex[b >> 4];
            target += kHex[b & 0xF];
        } else {
            target += c;
        }
    }
    return target;
}

// The agent: the value of a "User-Agent:" line in the block (either case),
// trimmed, else the default one.
std::string UserAgentFrom(std::string_view block) {
    const long at = text::Find(block, "User-Agent:", 1, Case::Fold);
    if (at < 0) return std::string(kDefaultAgent);
    const long start = at + 11;
    const long end = text::Find(block, "\r\n", start);
    const long length = end > 0 ? end - start : static_cast<long>(block.size());
    return text::Trim(text::Mid(block, start, length));
}

// Adds the lines the block lacks, in this order; the searches match case
// exactly. The cookie line is added whenever there are cookies to send.
void CompleteHeaderBlock(std::string& block, std::string_view address, const std::string* cookies) {
    if (!text::Contains(block, "Referer:")) {
        block += block.empty() ? "Referer: " : "\r\nReferer: ";
        block += address;
    }
    if (!text::Contains(block, "Accept:")) block += "\r\nAccept: */*";
    if (!text::Contains(block, "Accept-Language:")) block += "\r\nAccept-Language: zh-cn";
    if (!text::Contains(block, "Content-Type:"))
        block += "\r\nContent-Type: application/x-www-form-urlencoded";
    if (cookies && !cookies->empty()) block += "\r\nCookie: " + *cookies;
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

struct Origin {
    std::string scheme, host;
    long port = 0;
    bool operator==(const Origin&) const = default;
};

std::optional<Origin> OriginOf(const std::string& url) {
    CurlPtr<CURLU> u(curl_url());
    if (!u || curl_url_set(u.get(), CURLUPART_URL, url.c_str(), CURLU_PATH_AS_IS) != CURLUE_OK)
        return std::nullopt;
    char* scheme = nullptr;
    char* host = nullptr;
    char* port = nullptr;
    curl_url_get(u.get(), CURLUPART_SCHEME, &scheme, 0);
    curl_url_get(u.get(), CURLUPART_HOST, &host, 0);
    curl_url_get(u.get(), CURLUPART_PORT, &port, CURLU_DEFAULT_PORT);
    CurlPtr<char> s(scheme), h(host), p(port);
    if (!scheme || !host || !port) return std::nullopt;
    return Origin{text::ToLowerAscii(scheme), text::ToLowerAscii(host), std::atol(port)};
}

// The header list handed to curl: the block's lines as they are, plus entries
// that keep curl from adding lines of its own (Accept, Expect, Content-Type,
// Proxy-Connection) where the block has none. `dropCredentials` leaves out
// the block's Cookie and Authorization lines, for a redirect to another site.
CurlPtr<curl_slist> HeaderList(std::string_view block, bool dropCredentials) {
    std::vector<std::string> lines;
    for (std::string& line : text::Split(block, "\r\n")) {
        if (line.empty()) continue;
        if (dropCredentials &&
            (StartsWithNoCase(line, "Cookie:") || StartsWithNoCase(line, "Authorization:")))
            continue;
        const auto colon = line.find(':');
        // curl reads "Name:" as "remove Name"; "Name;" sends it with an empty value.
        if (colon != std::string::npos && IsBlank(std::string_view(line).substr(colon + 1)))
            line = line.substr(0, colon) + ";";
        lines.push_back(std::move(line));
    }
    for (const std::string_view name : {"Accept:", "Expect:", "Content-Type:", "Proxy-Connection:"}) {
        const bool present = std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
            return StartsWithNoCase(l, name) ||
                   StartsWithNoCase(l, std::string(name.substr(0, name.size() - 1)) + ";");
        });
        if (!present) lines.emplace_back(name);
    }
    curl_slist* list = nullptr;
    for (const std::string& line : lines) {
        curl_slist* next = curl_slist_append(list, line.c_str());
        if (!next) {
            curl_slist_free_all(list);
            return nullptr;
        }
        list = next;
    }
    return CurlPtr<curl_slist>(list);
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// Collects the reply headers as "line\r\n" each, without the blank line that
// ends them. A status line starts the text over, so an interim 1xx reply
// does not count.
size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* raw = static_cast<std::string*>(user);
    std::string_view line(data, size * count);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.starts_with("HTTP/")) raw->clear();
    if (!line.empty()) {
        raw->append(line);
        raw->append("\r\n");
    }
    return size * count;
}

struct Request {
    AddressParts parts;
    std::string target;       // raw path and query
    bool post = false;
    std::string body;
    std::string block;        // the completed header block
    std::string agent;
    bool sharedCookies = true;
    bool noRedirect = false;
    std::optional<std::string> proxy;
};

struct Reply {
    bool ok = false;
    std::string body;
    std::string headers;  // raw reply headers, "\r\n" after each line
};

std::string BaseUrl(const AddressParts& parts) {
    return std::string(parts.secure ? "https://" : "http://") + parts.host + ":" +
           std::to_string(parts.port) + "/";
}

// Sends the request and reads the reply; redirects are followed here (unless
// switched off) so that only the first request carries the caller's exact
// target: curl would send a fixed request target again on every redirect.
std::optional<Reply> Transfer(const Request& request) {
    CurlPtr<CURL> handle(curl_easy_init());
    if (!handle) return std::nullopt;
    CURL* h = handle.get();

    const Origin first{request.parts.secure ? "https" : "http", request.parts.host,
                       request.parts.port};
    CurlPtr<curl_slist> headers = HeaderList(request.block, false);
    if (!headers) return std::nullopt;
    CurlPtr<curl_slist> headersElsewhere;

    std::string url = BaseUrl(request.parts);
    const bool proxied = request.proxy && !request.proxy->empty() && !request.parts.secure;
    std::string target = request.target;
    if (proxied) {
        // Through a proxy the request line carries the absolute address.
        target = "http://" + request.parts.host +
                 (request.parts.port == 80 ? "" : ":" + std::to_string(request.parts.port)) + target;
    }
    const std::string proxyUrl = request.proxy ? "http://" + *request.proxy : "";

    Reply reply;
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(h, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, request.agent.c_str());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(gConnectMs.load()));
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, static_cast<long>(gIdleSeconds.load()));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &reply.body);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &reply.headers);
    if (request.sharedCookies) {
        if (CURLSH* share = SharedStore::Handle()) curl_easy_setopt(h, CURLOPT_SHARE, share);
        curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");  // the cookie engine on, no file
    }

    bool post = request.post;
    bool proxyThisHop = proxied;
    bool elsewhere = false;
    for (int hop = 0;; ++hop) {
        reply.body.clear();
        reply.headers.clear();
        curl_easy_setopt(h, CURLOPT_URL, url.c_str());
        curl_easy_setopt(h, CURLOPT_REQUEST_TARGET, hop == 0 ? target.c_str() : nullptr);
        // An empty proxy text switches off any proxy from the environment.
        curl_easy_setopt(h, CURLOPT_PROXY, proxyThisHop ? proxyUrl.c_str() : "");
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, elsewhere ? headersElsewhere.get() : headers.get());
        if (post) {
            curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
            curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.body.data());
        } else {
            curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
        }
        if (curl_easy_perform(h) != CURLE_OK) return Reply{};

        long status = 0;
        char* next = nullptr;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &next);
        const bool redirect = status == 301 || status == 302 || status == 303 || status == 307 ||
                              status == 308;
        if (request.noRedirect || !redirect || !next || hop == kMaxFollowedRedirects) break;
        const std::optional<Origin> origin = OriginOf(next);
        if (!origin || (origin->scheme != "http" && origin->scheme != "https")) break;

        url = next;
        // As browsers do: a POST answered by 301, 302 or 303 goes on as a GET.
        if (status == 303 || status == 301 || status == 302) post = false;
        proxyThisHop = proxied && origin->scheme == "http";
        elsewhere = !(*origin == first);
        if (elsewhere && !headersElsewhere) {
            headersElsewhere = HeaderList(request.block, true);
            if (!headersElsewhere) return Reply{};
        }
    }
    reply.ok = true;
    return reply;
}

// What step 9 of the fetch reads from the reply headers.
struct HeaderReading {
    std::string redirect;
    bool fromLocation = false;
    std::string replyCookies;
};

HeaderReading ReadReplyHeaders(const std::string& raw) {
    HeaderReading r;
    for (const std::string& line : text::Split(raw, "\r\n")) {
        if (text::Contains(line, "Location:")) {
            const auto colon = line.find(':');
            r.redirect = text::Trim(std::string_view(line).substr(colon + 1));
            r.fromLocation = true;
        }
        if (text::Contains(line, "Set-Cookie")) {
            const long at = text::Find(line, "Set-Cookie:", 1, Case::Fold);
            if (at < 0) continue;
            const long start = at + 11;
            const long semicolon = text::Find(line, ";", start);
            const long length = semicolon > 0 ? semicolon - start : static_cast<long>(line.size());
            const std::string item = text::Trim(text::Mid(line, start, length));
            // An empty item would only put a stray "; " into the cookie text.
            if (!item.empty()) r.replyCookies += item + "; ";
        }
    }
    if (r.replyCookies.size() >= 2) r.replyCookies.resize(r.replyCookies.size() - 2);
    return r;
}

std::string CookieName(std::string_view item) {
    const auto eq = item.find('=');
    return text::Trim(eq == std::string_view::npos ? item : item.substr(0, eq));
}

// The reply's cookies first, then each sent one whose name the reply did not
// set; items ending in "=deleted" are dropped and repeats removed. Both
// inputs are made space-free first, as the caller's variables are left.
std::string MergeCookies(const std::string& sent, const std::string& reply) {
    std::vector<std::string> merged;
    auto hasName = [&](const std::string& name) {
        return std::any_of(merged.begin(), merged.end(),
                           [&](const std::string& m) { return CookieName(m) == name; });
    };
    for (std::string& item : text::Split(reply, ";"))
        if (!item.empty()) merged.push_back(std::move(item));
    for (std::string& item : text::Split(sent, ";"))
        if (!item.empty() && !hasName(CookieName(item))) merged.push_back(std::move(item));

    std::vector<std::string> kept;
    for (std::string& item : merged) {
        if (item.ends_with("=deleted")) continue;
        if (std::find(kept.begin(), kept.end(), item) == kept.end()) kept.push_back(std::move(item));
    }
    std::string joined;
    for (const std::string& item : kept) {
        if (!joined.empty()) joined += "; ";
        joined += item;
    }
    return joined;
}

struct Outcome {
    bool sent = false;     // false: nothing was sent and no variable was touched
    std::string body;
    std::string headers;   // as the raw-header variable sees them
    bool moved = false;    // a "301 Moved" with a Location to repeat at
    std::string next;
};

Outcome FetchOnce(std::string_view address, const FetchArgs& args) {
    Outcome outcome;
    Request request;
    request.parts = SplitAddress(address);
    if (request.parts.host.empty() || request.parts.port < 0) return outcome;
    const std::optional<Origin> origin = OriginOf(BaseUrl(request.parts));
    if (!origin || origin->host != request.parts.host) return outcome;

    std::string localBlock;
    std::string& block = args.headers ? *args.headers : localBlock;
    request.agent = UserAgentFrom(block);
    CompleteHeaderBlock(block, address, args.cookies);
    request.block = block;
    request.target = RequestTarget(request.parts.path);
    request.sharedCookies = args.cookies == nullptr;
    request.noRedirect = args.noRedirect;
    request.proxy = args.proxy;
    if (args.method == 1) {
        request.post = true;
        if (args.byteBody && !args.byteBody->empty()) {
            request.body = *args.byteBody;
        } else {
            request.body = args.textBody;
            if (args.byteBody) *args.byteBody = args.textBody;
        }
    }

    const std::optional<Reply> reply = Transfer(request);
    if (!reply) return outcome;
    outcome.sent = true;
    if (reply->ok) outcome.body = reply->body;
    outcome.headers = reply->ok && reply->headers.size() < kHeaderBuffer
                          ? reply->headers
                          : std::string(kHeaderBuffer, ' ');

    if (args.rawHeaders) *args.rawHeaders = outcome.headers;
    HeaderReading reading = ReadReplyHeaders(outcome.headers);
    if (args.cookies) {
        *args.cookies = text::RemoveAllSpaces(*args.cookies);
        reading.replyCookies = text::RemoveAllSpaces(reading.replyCookies);
        *args.cookies = MergeCookies(*args.cookies, reading.replyCookies);
    }
    if (args.replyCookies) *args.replyCookies = reading.replyCookies;
    const bool haveLocation = reading.fromLocation && !reading.redirect.empty();
    if (reading.redirect.empty()) reading.redirect = outcome.headers;
    if (args.redirect) *args.redirect = reading.redirect;

    // A "301 Moved" that the transport did not follow is taken as a move of
    // the whole site: the same path is asked for at the new place. Without a
    // Location there is nowhere to go.
    if (haveLocation && TextBetween(outcome.headers, "HTTP/1.1 ", " Moved") == "301") {
        outcome.moved = true;
        outcome.next = reading.redirect + request.parts.path;
    }
    return outcome;
}

}  // namespace

AddressParts SplitAddress(std::string_view address) {
    AddressParts parts;
    std::string lower = text::ToLowerAscii(address);
    if (!lower.ends_with('/')) lower += '/';
    parts.secure = lower.starts_with("https://");
    std::string prefix = parts.secure ? "https://" : "http://";
    if (!parts.secure && !text::Contains(lower, prefix)) lower = prefix + lower;

    const std::string hostPart = TextBetween(lower, prefix, "/");
    const long colon = text::Find(hostPart, ":");
    parts.host = colon > 0 ? text::Left(hostPart, colon - 1) : hostPart;
    const int defaultPort = parts.secure ? 443 : 80;
    const long lastColon = text::FindLast(hostPart, ":");
    parts.port = lastColon > 0 ? PortValue(std::string_view(hostPart).substr(lastColon), defaultPort)
                               : defaultPort;

    // The path starts at the first "/" after the host, looked for behind the
    // scheme so that a host such as "t" is not found inside "http".
    const long from = static_cast<long>(SchemeLength(address)) + 1;
    const long at = text::Find(address, parts.host, from, Case::Fold);
    const long slash = at > 0 ? text::Find(address, "/", at) : -1;
    parts.path = slash > 0 ? std::string(address.substr(static_cast<std::size_t>(slash - 1))) : "/";
    return parts;
}

void SetFetchTimeouts(FetchTimeouts timeouts) {
    gConnectMs = timeouts.connect.count();
    gIdleSeconds = timeouts.idle.count();
}

FetchTimeouts GetFetchTimeouts() {
    return {std::chrono::milliseconds(gConnectMs.load()), std::chrono::seconds(gIdleSeconds.load())};
}

std::string WebFetchBytes(std::string_view address, const FetchArgs& args) {
    InitCurlOnce();
    std::string current(address);
    for (int repeat = 0;; ++repeat) {
        Outcome outcome = FetchOnce(current, args);
        if (!outcome.sent) return {};
        if (outcome.moved && repeat < kMaxMovedRepeats) {
            current = outcome.next;
            if (args.redirect) args.redirect->clear();
            continue;
        }
        const auto declared = outcome.body.find("utf-8");
        if ((declared != std::string::npos && declared + 1 < 500) ||
            text::Contains(outcome.headers, "utf-8", Case::Fold))
            return Utf8ToGbk(outcome.body);
        return std::move(outcome.body);
    }
}

std::string WebFetch(std::string_view address, const FetchArgs& args) {
    return text::FromBytes(WebFetchBytes(address, args));
}

}  // namespace zu
