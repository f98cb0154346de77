// The run directory: the folder of the program file, without a trailing "/".
#pragma once

#include <string>

namespace zu {

std::string RunDirectory();
// Tests run the program's code from a temporary folder.
void SetRunDirectory(std::string directory);

}  // namespace zu
