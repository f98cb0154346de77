// Placeholder until the built-in service lands.
#include "service/builtin_service.h"

namespace zu {
std::string StartBuiltInService() { return {}; }
}  // namespace zu
