#include "settings/paths.h"

#include <filesystem>
#include <mutex>

namespace zu {
namespace {
std::mutex g_mutex;
std::string g_runDirectory;
}  // namespace

std::string RunDirectory() {
    std::lock_guard lock(g_mutex);
    if (g_runDirectory.empty()) {
        std::error_code ec;
        const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        g_runDirectory = ec ? std::filesystem::current_path(ec).string() : exe.parent_path().string();
    }
    return g_runDirectory;
}

void SetRunDirectory(std::string directory) {
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    std::lock_guard lock(g_mutex);
    g_runDirectory = std::move(directory);
}

}  // namespace zu
