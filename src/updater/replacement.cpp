#include "updater/replacement.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <thread>

#include "app/update/start_program.h"
#include "web/text.h"

namespace fs = std::filesystem;

namespace zu {
namespace {

struct ElfIdentity {
    unsigned char elfClass;
    unsigned char byteOrder;
    std::uint16_t type;
    std::uint16_t machine;
};

// The identity fields share their offsets in 32- and 64-bit ELF headers.
std::optional<ElfIdentity> ReadElfIdentity(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    unsigned char header[EI_NIDENT + 4];
    const ssize_t n = ::pread(fd, header, sizeof header, 0);
    ::close(fd);
    if (n != static_cast<ssize_t>(sizeof header) || std::memcmp(header, ELFMAG, SELFMAG) != 0)
        return std::nullopt;
    const unsigned char byteOrder = header[EI_DATA];
    if (byteOrder != ELFDATA2LSB && byteOrder != ELFDATA2MSB) return std::nullopt;
    auto half = [&](int at) -> std::uint16_t {
        return byteOrder == ELFDATA2LSB ? std::uint16_t(header[at] | header[at + 1] << 8)
                                        : std::uint16_t(header[at] << 8 | header[at + 1]);
    };
    return ElfIdentity{header[EI_CLASS], byteOrder, half(EI_NIDENT), half(EI_NIDENT + 2)};
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return text::ToLowerAscii(a) == text::ToLowerAscii(b);
}

bool AnyProcessRuns(std::string_view name) {
    std::error_code ec;
    const uid_t me = ::getuid();
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        const std::string pid = entry.path().filename().string();
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        struct stat st {};
        if (::stat(entry.path().c_str(), &st) != 0 || st.st_uid != me) continue;
        // A process that has ended (a zombie) has no readable exe link.
        std::string exe = fs::read_symlink(entry.path() / "exe", ec).filename().string();
        if (ec) continue;
        constexpr std::string_view kDeleted = " (deleted)";
        if (exe.size() > kDeleted.size() && exe.ends_with(kDeleted)) exe.resize(exe.size() - kDeleted.size());
        if (SameNameIgnoringCase(exe, name)) return true;
    }
    return false;
}

bool KeepBackup(const std::string& programPath, const std::string& backupPath) {
    std::error_code ec;
    fs::remove(backupPath, ec);
    if (::link(programPath.c_str(), backupPath.c_str()) == 0) return true;
    if (errno == ENOENT) return true;  // no old file: nothing to keep
    return fs::copy_file(programPath, backupPath, fs::copy_options::overwrite_existing, ec);
}

// A started program that ends with a failure at once did not really start (a
// missing library, a broken file).
bool SurvivesStart(pid_t pid, std::chrono::milliseconds grace) {
    const auto until = std::chrono::steady_clock::now() + grace;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (done < 0 && errno != EINTR) return true;  // not our child to watch
        if (std::chrono::steady_clock::now() >= until) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

bool IsExecutableForThisSystem(const std::string& path) {
    static const std::optional<ElfIdentity> own = ReadElfIdentity("/proc/self/exe");
    const std::optional<ElfIdentity> file = ReadElfIdentity(path.c_str());
    if (!own || !file) return false;
    return file->elfClass == own->elfClass && file->byteOrder == own->byteOrder &&
           file->machine == own->machine && (file->type == ET_EXEC || file->type == ET_DYN);
}

void WaitUntilEnded(std::string_view name, std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (AnyProcessRuns(name) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

InstallResult InstallNewProgram(const std::string& newFile, const std::string& programPath,
                                std::chrono::milliseconds startGrace) {
    const std::string backupPath = programPath + ".backup";
    if (!KeepBackup(programPath, backupPath)) return InstallResult::NoBackup;
    std::error_code ec;
    const bool hadOld = fs::exists(backupPath, ec);
    if (::chmod(newFile.c_str(), 0755) != 0 || std::rename(newFile.c_str(), programPath.c_str()) != 0) {
        fs::remove(backupPath, ec);
        return InstallResult::NotReplaced;
    }
    const pid_t pid = StartProgram(programPath);
    if (pid < 0 || !SurvivesStart(pid, startGrace)) {
        if (hadOld) std::rename(backupPath.c_str(), programPath.c_str());
        return InstallResult::NotStarted;
    }
    fs::remove(backupPath, ec);
    return InstallResult::Started;
}

}  // namespace zu
