// Starting a program file with no arguments (posix_spawn), with or without
// waiting for it. The child inherits this process's environment.
#pragma once

#include <sys/types.h>

#include <string>

namespace zu {

// The new process's id, or -1 when the file could not be started (missing, no
// run bit, not a program of this system).
pid_t StartProgram(const std::string& path);

// Starts the program and blocks the calling thread until it has ended. False
// when it could not be started.
bool StartProgramAndWait(const std::string& path);

}  // namespace zu
