// How an address is taken apart into host, port, path and the secure choice.
#include <string>

#include <gtest/gtest.h>

#include "web/fetch.h"

namespace zu {
namespace {

TEST(FetchAddress, Parts) {
    struct Case {
        const char* address;
        const char* host;
        int port;
        const char* path;
        bool secure;
    };
    const Case cases[] = {
        // A missing scheme is http; the path keeps its query and its letters.
        {"www.Example.com/a/B?x=Y", "www.example.com", 80, "/a/B?x=Y", false},
        {"http://Example.COM:8080", "example.com", 8080, "/", false},
        {"HTTP://HOST", "host", 80, "/", false},
        {"https://host/x", "host", 443, "/x", true},
        {"HTTPS://Host/X?Y=Z", "host", 443, "/X?Y=Z", true},
        {"https://host:8443/", "host", 8443, "/", true},
        // GBK bytes in path and query stay as they are.
        {"http://host/路径/张?k=张三", "host", 80, "/路径/张?k=张三", false},
        // The port is read after the last ":", from its leading digits; none
        // means the default port, a number past 65535 cannot be used.
        {"http://a:1:2/x", "a", 2, "/x", false},
        {"http://h:/p", "h", 80, "/p", false},
        {"http://h:81x/p", "h", 81, "/p", false},
        {"https://h:0/p", "h", 443, "/p", true},
        {"http://h:99999/p", "h", -1, "/p", false},
        // A host that also occurs inside the scheme is still found after it.
        {"http://t/x", "t", 80, "/x", false},
        {"https://s/y?z", "s", 443, "/y?z", true},
        // Only the scheme "https://" is secure; a bare host that merely starts
        // with those letters is plain http like any other bare host.
        {"httpsite.example/a", "httpsite.example", 80, "/a", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        const AddressParts parts = SplitAddress(c.address);
        EXPECT_EQ(parts.host, c.host);
        EXPECT_EQ(parts.port, c.port);
        EXPECT_EQ(parts.path, c.path);
        EXPECT_EQ(parts.secure, c.secure);
    }
}

}  // namespace
}  // namespace zu
