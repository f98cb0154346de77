// The updater program, carried whole in the main program's constant data, and
// its file beside the program.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/platform/process.h"
#include "app/update/update_check.h"

extern "C" const unsigned char zu_updater_program[];
extern "C" const unsigned long long zu_updater_program_size;

namespace zu {
namespace {

bool WriteAll(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Writes the bytes to a temporary file in the same folder and renames it over
// `path`, so the file is always either the earlier one or the complete new one.
// A running program keeps its old file open; the rename does not disturb it.
bool WriteExecutableAtomically(const std::string& path, const unsigned char* data, std::size_t size) {
    std::string temp = path + ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = WriteAll(fd, data, size) && fchmod(fd, 0755) == 0 && fsync(fd) == 0;
    if (::close(fd) != 0 || !ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace

void DeleteUpdaterFile() {
    EndProcessByName(kUpdaterFileName);
    std::error_code ec;
    std::filesystem::remove(UpdaterFilePath(), ec);
}

void WriteUpdaterFile() {
    EndProcessByName(kUpdaterFileName);
    // A file that cannot be written leaves the earlier one as it was.
    WriteExecutableAtomically(UpdaterFilePath(), zu_updater_program,
                              static_cast<std::size_t>(zu_updater_program_size));
}

}  // namespace zu
