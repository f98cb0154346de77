// Placeholder until the libcurl transport lands: every fetch fails.
#include "web/fetch.h"

namespace zu {
std::string WebFetch(std::string_view, const FetchArgs&) { return {}; }
std::string WebFetchBytes(std::string_view, const FetchArgs&) { return {}; }
}  // namespace zu
