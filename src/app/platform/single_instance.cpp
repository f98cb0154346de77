#include "app/platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace zu {

std::string InstanceLockPath() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/')
        return std::string(runtime) + "/ZuZIvi.instance.lock";
    return "/tmp/ZuZIvi-" + std::to_string(getuid()) + ".instance.lock";
}

void EnsureSingleInstance() {
    const auto path = InstanceLockPath();
    // Never follow a link someone else may have planted in /tmp. The descriptor
    // stays open (and locked) for the life of the process; programs started
    // from here do not inherit it.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return;  // no lock to be had: run as the only copy
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno == EWOULDBLOCK) _exit(0);  // another copy runs: end before anything is touched
        close(fd);
        return;
    }
}

}  // namespace zu
