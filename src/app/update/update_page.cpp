#include <string>

#include "app/update/version.h"
#include "web/codecs.h"
#include "web/fetch.h"

namespace zu {

std::string ReadPublishedVersion(std::string_view updateServer) {
    if (updateServer.empty()) return {};
    std::string address(updateServer);
    address += kUpdatePagePath;
    return TextBetween(WebFetch(address), "@@", "##");
}

}  // namespace zu
