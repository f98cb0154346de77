// Only one copy of the program runs per user session.
#pragma once

namespace zu {

// Returns when this process is the only copy; otherwise ends it with exit code 0.
void EnsureSingleInstance();

}  // namespace zu
