// Putting a downloaded program file in place of the main program file.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace zu {

// Whether the file is a program this system can run: an ELF file of the same
// class, byte order and machine as the running program's own file, and of the
// type of an executable or a position-independent executable.
bool IsExecutableForThisSystem(const std::string& path);

// Waits (at most `timeout`) until no process of this user runs a file whose
// name is `name` (letter case ignored). Ending a process by signal takes a
// moment; a new copy started too early would meet the old one's lock.
void WaitUntilEnded(std::string_view name, std::chrono::milliseconds timeout);

enum class InstallResult {
    Started,      // the new file is in place and runs; the backup is gone
    NoBackup,     // the old file could not be kept aside: nothing was changed
    NotReplaced,  // the rename failed: the old file is where it was
    NotStarted,   // the new file did not start: the old file was put back
};

// Keeps the old program file as `programPath` + ".backup" (a hard link, or a
// copy), renames `newFile` over `programPath`, and starts it without arguments.
// A program that ends with a failure, or by a signal, within `startGrace`
// counts as not started. Whatever fails, the old file is back in place.
InstallResult InstallNewProgram(const std::string& newFile, const std::string& programPath,
                                std::chrono::milliseconds startGrace);

}  // namespace zu
