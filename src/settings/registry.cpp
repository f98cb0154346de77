// The registry store: one REGEDIT4 file per user, read when it changed and
// rewritten whole, atomically, on every change.
#include "settings/registry.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>

#include "settings/registry_file.h"
#include "web/codecs.h"
#include "web/text.h"

namespace zu {
namespace {

using registry::Data;
using registry::Key;

// What the cached content was read from: a rewrite renames a new file into
// place, so a change always shows as a new inode even within one clock tick.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};

    static FileIdentity Of(const struct stat& st) {
        return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
    }
    bool operator==(const FileIdentity& o) const {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

struct Cache {
    std::string path;
    FileIdentity identity;
    bool valid = false;
    Data data;
};

std::mutex g_mutex;
Cache g_cache;

std::string_view RootName(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

bool ReadWhole(int fd, std::string& out) {
    char buffer[16384];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

bool WriteWhole(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Moves a file that cannot be read as a registry out of the way under a name
// that no earlier such file holds, so that nothing is ever overwritten.
void SetAside(const std::string& path) {
    for (int n = 0; n < 1000; ++n) {
        const std::string aside = path + ".unreadable" + (n ? "." + std::to_string(n) : "");
        if (renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) return;
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS) return;
        // A file system without RENAME_NOREPLACE: link refuses an existing name too.
        if (link(path.c_str(), aside.c_str()) == 0) {
            unlink(path.c_str());
            return;
        }
        if (errno != EEXIST) return;
    }
}

// The current content of the store, from the cache when the file is unchanged;
// null when the file exists but cannot be read (then nothing may replace it).
Data* Load() {
    const auto path = RegistryFilePath();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) {
        const bool missing = fd < 0 && errno == ENOENT;
        if (fd >= 0) close(fd);
        g_cache = {path, {}, missing, {}};
        return missing ? &g_cache.data : nullptr;
    }
    const auto identity = FileIdentity::Of(st);
    if (g_cache.valid && g_cache.path == path && g_cache.identity == identity) {
        close(fd);
        return &g_cache.data;
    }
    std::string text;
    const bool read = ReadWhole(fd, text);
    close(fd);
    Data data;
    if (!read) {
        g_cache = {path, {}, false, {}};
        return nullptr;
    }
    if (!registry::Parse(text, data)) {
        SetAside(path);
        g_cache = {path, {}, true, {}};
        return &g_cache.data;
    }
    g_cache = {path, identity, true, std::move(data)};
    return &g_cache.data;
}

// Writes the whole store to a temporary file beside the real one, flushes it
// to the disk and renames it over the real one: a reader sees the old file or
// the new one, never a part of either, whenever the writer stops.
bool Store(const Data& data) {
    const auto path = RegistryFilePath();
    const auto folder = std::filesystem::path(path).parent_path();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    struct stat st {};
    const bool written = WriteWhole(fd, registry::Serialize(data)) && fsync(fd) == 0 && fstat(fd, &st) == 0;
    close(fd);
    if (!written) {
        unlink(temp.c_str());
        return false;
    }
    // Test hook: a writer stopped here lets a test kill it between writing and renaming.
    if (std::getenv("ZU_REGISTRY_STOP_BEFORE_RENAME")) raise(SIGSTOP);
    if (rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    if (const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        fsync(dir);
        close(dir);
    }
    g_cache = {path, FileIdentity::Of(st), true, data};
    return true;
}

struct Location {
    std::string key;   // canonical key path with its root
    std::string name;  // value name
};

std::optional<std::string> KeyUnder(RegistryRoot root, std::string_view keyPath) {
    std::string full(RootName(root));
    if (!keyPath.empty()) {
        full += '\\';
        full += keyPath;
    }
    return registry::CanonicalKeyPath(full);
}

// Splits "key\\path\\name" at its last backslash, walked as GBK.
std::optional<Location> Locate(RegistryRoot root, std::string_view path) {
    const long at = text::FindLast(path, "\\");
    const auto keyPath = at > 0 ? path.substr(0, static_cast<std::size_t>(at - 1)) : std::string_view{};
    auto key = KeyUnder(root, keyPath);
    if (!key) return std::nullopt;
    return Location{std::move(*key), std::string(at > 0 ? path.substr(static_cast<std::size_t>(at)) : path)};
}

bool HasSubkeys(const Data& data, const std::string& foldedKey) {
    const auto prefix = foldedKey + '\\';
    const auto it = data.keys.lower_bound(prefix);
    return it != data.keys.end() && it->first.starts_with(prefix);
}

// Replaces every %NAME% by the environment variable of that name; unknown
// names stay as they are. '%' is never the second byte of a GBK character.
std::string ExpandEnvironment(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto open = text.find('%', i);
        const auto close = open == std::string_view::npos ? open : text.find('%', open + 1);
        if (close == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, open - i));
        const auto name = text.substr(open + 1, close - open - 1);
        const char* value = name.empty() ? nullptr : std::getenv(GbkToUtf8(name).c_str());
        if (value) {
            out += Utf8ToGbk(value);
            i = close + 1;
        } else {
            out.append(text.substr(open, close - open));
            i = close;  // the closing '%' may open the next name
        }
    }
    return out;
}

}  // namespace

std::string RegistryFilePath() {
    std::string base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
        base = config;
    else
        base = HomeDirectory() + "/.config";
    return base + "/ZuZIvi/registry.reg";
}

std::string RegistryReadText(RegistryRoot root, std::string_view path) {
    const auto at = Locate(root, path);
    if (!at) return {};
    std::lock_guard lock(g_mutex);
    const Data* data = Load();
    if (!data) return {};
    const auto key = data->keys.find(registry::Fold(at->key));
    if (key == data->keys.end()) return {};
    const auto* value = key->second.Find(at->name);
    if (!value) return {};
    if (value->type == registry::kTypeString) return text::FromBytes(value->data);
    if (value->type == registry::kTypeExpandString) return ExpandEnvironment(text::FromBytes(value->data));
    return {};
}

void RegistryWriteText(RegistryRoot root, std::string_view path, std::string_view value) {
    const auto at = Locate(root, path);
    if (!at || !registry::NameRoundTrips(at->name)) return;
    std::lock_guard lock(g_mutex);
    const Data* current = Load();
    if (!current) return;
    Data data = *current;
    auto& key = registry::AddKey(data, at->key);
    std::string bytes(value);
    bytes += '\0';
    if (const auto* old = key.Find(at->name); old && old->type == registry::kTypeString && old->data == bytes)
        return;  // unchanged: no rewrite
    // The name keeps the spelling it was first stored with.
    const auto* old = key.Find(at->name);
    registry::SetValue(key, {old ? old->name : at->name, registry::kTypeString, std::move(bytes)});
    Store(data);
}

void RegistryDelete(RegistryRoot root, std::string_view path) {
    std::lock_guard lock(g_mutex);
    const Data* current = Load();
    if (!current) return;
    Data data = *current;
    if (const auto at = Locate(root, path)) {
        const auto key = data.keys.find(registry::Fold(at->key));
        if (key != data.keys.end()) {
            auto& values = key->second.values;
            const auto* value = key->second.Find(at->name);
            if (value) {
                values.erase(values.begin() + (value - values.data()));
                Store(data);
                return;
            }
        }
    }
    if (path.empty()) return;  // a root is never deleted
    const auto whole = KeyUnder(root, path);
    if (!whole) return;
    const auto folded = registry::Fold(*whole);
    if (!data.keys.contains(folded) || HasSubkeys(data, folded)) return;
    data.keys.erase(folded);
    Store(data);
}

std::vector<std::string> RegistrySubkeys(RegistryRoot root, std::string_view keyPath) {
    std::vector<std::string> names;
    const auto key = KeyUnder(root, keyPath);
    if (!key) return names;
    std::lock_guard lock(g_mutex);
    const Data* data = Load();
    if (!data) return names;
    const auto prefix = registry::Fold(*key) + '\\';
    for (auto it = data->keys.lower_bound(prefix); it != data->keys.end() && it->first.starts_with(prefix); ++it) {
        const std::string_view rest = std::string_view(it->second.path).substr(prefix.size());
        if (!text::Contains(rest, "\\")) names.emplace_back(rest);
    }
    return names;
}

}  // namespace zu
