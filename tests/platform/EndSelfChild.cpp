// Asks EndProcessByName to end a process named like itself. Exit code 0: it
// refused (it is the only one of that name); being killed means it ended itself.
#include <string>

#include "app/platform/process.h"

int main(int, char** argv) {
    std::string self = argv[0];
    self = self.substr(self.rfind('/') + 1);
    return zu::EndProcessByName(self) ? 1 : 0;
}
