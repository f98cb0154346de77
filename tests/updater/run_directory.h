// A temporary run directory for the update tests, with stand-in programs that
// know their version ("old", "new") and log when they start.
#pragma once

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace zu::test {

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::string& path, const std::string& bytes, mode_t mode = 0644) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    chmod(path.c_str(), mode);
}

// The stand-in program's bytes with its version mark.
inline std::string StandInBytes(const std::string& mark) {
    return ReadWholeFile(ZU_STANDIN_PROGRAM) + "ZU-MARK:" + mark;
}

class RunDirectory {
public:
    RunDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zu-update-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
        // A name no other process on the machine runs under: the updater ends
        // processes by this name.
        static std::atomic<int> counter{0};
        programName_ = "ZuZIvi-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    }
    ~RunDirectory() {
        for (pid_t pid : children_) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    RunDirectory(const RunDirectory&) = delete;
    RunDirectory& operator=(const RunDirectory&) = delete;

    const std::string& path() const { return path_; }
    const std::string& programName() const { return programName_; }
    std::string programPath() const { return path_ + "/" + programName_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

    // Installs the stand-in main program with the given mark.
    void InstallProgram(const std::string& mark) const { WriteWholeFile(programPath(), StandInBytes(mark), 0755); }

    // Starts the installed main program as a running copy that waits.
    pid_t StartWaitingProgram() {
        const std::string path = programPath();
        char* argv[] = {const_cast<char*>(path.c_str()), const_cast<char*>("--wait"), nullptr};
        pid_t pid = -1;
        if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
        children_.push_back(pid);
        // Running once it has logged its start.
        for (int i = 0; i < 250 && StartedLog().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::filesystem::remove(File("started.log"));
        return pid;
    }

    // True when the child has ended by a signal (it was ended, not finished).
    static bool WasEnded(pid_t pid, std::chrono::milliseconds wait = std::chrono::milliseconds(3000)) {
        const auto until = std::chrono::steady_clock::now() + wait;
        for (;;) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) return WIFSIGNALED(status);
            if (std::chrono::steady_clock::now() >= until) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    static bool StillRuns(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }

    // Runs the program file with "--check": its mark, or "" when it does not run.
    std::string CheckProgram() const {
        const std::string command = "'" + programPath() + "' --check 2>/dev/null";
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return {};
        std::string out;
        char buffer[256];
        while (const size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
        return pclose(pipe) == 0 ? out : std::string();
    }

    // The marks of the stand-ins started so far, in order.
    std::vector<std::string> StartedLog() const {
        std::vector<std::string> marks;
        std::ifstream in(File("started.log"));
        for (std::string line; std::getline(in, line);) marks.push_back(line);
        return marks;
    }

    std::vector<std::string> FileNames() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string path_;
    std::string programName_;
    std::vector<pid_t> children_;
};

}  // namespace zu::test
