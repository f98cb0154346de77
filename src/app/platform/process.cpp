#include "app/platform/process.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <optional>
#include <string>

#include "app/platform/x11_windows.h"
#include "web/codecs.h"
#include "web/text.h"

namespace zu {
namespace {

std::string ProcFile(pid_t pid, const char* entry) { return "/proc/" + std::to_string(pid) + "/" + entry; }

// A process that may be ended here: another process of this user that has not
// ended already (a zombie is gone; only its parent's wait is missing).
bool IsCandidate(pid_t pid) {
    if (pid <= 0 || pid == getpid()) return false;
    struct stat st {};
    if (stat(("/proc/" + std::to_string(pid)).c_str(), &st) != 0 || st.st_uid != getuid()) return false;
    std::ifstream statFile(ProcFile(pid, "stat"));
    std::string line;
    std::getline(statFile, line);
    const auto close = line.rfind(')');  // the name in parentheses may hold anything
    if (close == std::string::npos || close + 2 >= line.size()) return false;
    const char state = line[close + 2];
    return state != 'Z' && state != 'X';
}

// The file name of the process's executable, else its command name.
std::string ExecutableName(pid_t pid) {
    char target[4096];
    const ssize_t n = readlink(ProcFile(pid, "exe").c_str(), target, sizeof target - 1);
    if (n > 0) {
        std::string path(target, static_cast<std::size_t>(n));
        constexpr std::string_view kDeleted = " (deleted)";
        if (path.ends_with(kDeleted)) path.resize(path.size() - kDeleted.size());
        return path.substr(path.rfind('/') + 1);
    }
    std::ifstream comm(ProcFile(pid, "comm"));
    std::string name;
    std::getline(comm, name);
    return name;
}

std::optional<pid_t> FindByExecutable(std::string_view gbkName) {
    DIR* proc = opendir("/proc");
    if (!proc) return std::nullopt;
    const auto wanted = text::ToLowerAscii(gbkName);
    std::optional<pid_t> found;
    while (const dirent* entry = readdir(proc)) {
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0]))) continue;
        const pid_t pid = static_cast<pid_t>(std::strtol(entry->d_name, nullptr, 10));
        if (!IsCandidate(pid)) continue;
        // File names are UTF-8 here; the program's names are GBK.
        if (text::ToLowerAscii(Utf8ToGbk(ExecutableName(pid))) == wanted) {
            found = pid;
            break;
        }
    }
    closedir(proc);
    return found;
}

}  // namespace

bool EndProcessByName(std::string_view name) {
    if (name.empty()) return false;
    std::optional<pid_t> target;
    for (const pid_t owner : X11WindowOwners(name)) {
        if (IsCandidate(owner)) {
            target = owner;
            break;
        }
    }
    if (!target) target = FindByExecutable(name);
    return target && kill(*target, SIGKILL) == 0;
}

void EndOwnProcess() { _exit(0); }

}  // namespace zu
