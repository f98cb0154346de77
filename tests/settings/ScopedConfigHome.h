// A fresh, empty XDG_CONFIG_HOME for the life of the object, so that every test
// starts with no registry file and leaves none behind.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "settings/registry.h"

namespace zu::test {

class ScopedConfigHome {
public:
    ScopedConfigHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zu-config-XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
        if (const char* old = getenv("XDG_CONFIG_HOME")) old_ = old;
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    }
    ~ScopedConfigHome() {
        if (old_)
            setenv("XDG_CONFIG_HOME", old_->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    ScopedConfigHome(const ScopedConfigHome&) = delete;
    ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;

    const std::string& folder() const { return folder_; }
    std::filesystem::path registryFolder() const { return std::filesystem::path(folder_) / "ZuZIvi"; }
    std::string registryFile() const { return RegistryFilePath(); }

    // The registry file's bytes; empty when there is none.
    std::string ReadRegistryFile() const {
        std::ifstream in(registryFile(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Replaces the registry file by `text` (a new file, as an editor saves it).
    void WriteRegistryFile(const std::string& text) const {
        std::filesystem::create_directories(registryFolder());
        const auto temp = registryFile() + ".test";
        std::ofstream(temp, std::ios::binary) << text;
        std::filesystem::rename(temp, registryFile());
    }

private:
    std::string folder_;
    std::optional<std::string> old_;
};

}  // namespace zu::test
