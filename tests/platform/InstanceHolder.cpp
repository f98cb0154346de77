// Takes the single-instance guard, says "running" on stdout and then lives
// until its stdin closes (or it is killed). A second copy ends inside the guard.
#include <unistd.h>

#include "app/platform/single_instance.h"

int main() {
    zu::EnsureSingleInstance();
    if (write(1, "running\n", 8) != 8) return 3;
    char c;
    while (read(0, &c, 1) > 0) {
    }
    return 0;
}
