// Only one copy of the program runs per user session.
#pragma once

#include <string>

namespace zu {

// The lock file held by the running copy: $XDG_RUNTIME_DIR/ZuZIvi.instance.lock,
// or /tmp/ZuZIvi-<uid>.instance.lock when XDG_RUNTIME_DIR is not set.
std::string InstanceLockPath();

// Returns when this process is the only copy; otherwise ends it at once with
// exit code 0 (no clean-up runs, nothing is written). The lock is released by
// the system when the process ends, however it ends.
void EnsureSingleInstance();

}  // namespace zu
