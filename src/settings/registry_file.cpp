#include "settings/registry_file.h"

#include <cstdio>
#include <optional>

#include "web/text.h"

namespace zu::registry {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kRoots[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto len = text::CharLength(text, i);
        if (len == 1 && (text[i] == '\\' || text[i] == '"')) out += '\\';
        out.append(text.substr(i, len));
        i += len;
    }
    out += '"';
    return out;
}

// Reads a quoted text at the start of `s`; `used` is how many bytes it took.
std::optional<std::string> Unquote(std::string_view s, std::size_t& used) {
    if (s.empty() || s[0] != '"') return std::nullopt;
    std::string out;
    for (std::size_t i = 1; i < s.size();) {
        const auto len = text::CharLength(s, i);
        if (len == 2) {
            out.append(s.substr(i, 2));
            i += 2;
        } else if (s[i] == '"') {
            used = i + 1;
            return out;
        } else if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            out += s[i + 1];
            i += 2;
        } else {
            out += s[i];
            i += 1;
        }
    }
    return std::nullopt;
}

bool QuotedRoundTrips(std::string_view text) {
    if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return false;
    const auto quoted = Quote(text);
    std::size_t used = 0;
    const auto back = Unquote(quoted, used);
    return back && *back == text && used == quoted.size();
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<std::uint32_t> ParseHexNumber(std::string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) return std::nullopt;
    std::uint32_t n = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        n = n * 16 + static_cast<std::uint32_t>(d);
    }
    return n;
}

std::optional<std::string> ParseHexBytes(std::string_view list) {
    std::string bytes;
    list = TrimBlanks(list);
    if (list.empty()) return bytes;
    while (true) {
        const auto comma = list.find(',');
        const auto item = TrimBlanks(list.substr(0, comma));
        const auto n = ParseHexNumber(item, 2);
        if (!n) return std::nullopt;
        bytes += static_cast<char>(*n);
        if (comma == std::string_view::npos) return bytes;
        list.remove_prefix(comma + 1);
    }
}

// The canonical spelling of a root name, or empty.
std::string_view RootOf(std::string_view name) {
    for (auto root : kRoots)
        if (Fold(name) == Fold(root)) return root;
    return {};
}

}  // namespace

std::optional<std::string> CanonicalKeyPath(std::string_view path) {
    if (path.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return std::nullopt;
    // A lone lead byte at the end would join the separator or bracket after it.
    std::size_t last = 0;
    for (std::size_t i = 0; i < path.size(); i += text::CharLength(path, i)) last = i;
    if (!path.empty() && text::CharLength(path, last) == 1 && static_cast<unsigned char>(path[last]) >= 0x80)
        return std::nullopt;
    const auto pieces = text::Split(path, "\\");
    if (pieces.empty() || text::FindLast(path, "\\") == static_cast<long>(path.size())) return std::nullopt;
    const auto root = RootOf(pieces[0]);
    if (root.empty()) return std::nullopt;
    std::string out(root);
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        if (pieces[i].empty()) return std::nullopt;
        out += '\\';
        out += pieces[i];
    }
    return out;
}

Key& AddKey(Data& data, const std::string& path) {
    const auto pieces = text::Split(path, "\\");
    std::string prefix;
    Key* key = nullptr;
    for (const auto& piece : pieces) {
        if (!prefix.empty()) prefix += '\\';
        prefix += piece;
        auto [it, added] = data.keys.try_emplace(Fold(prefix));
        if (added) it->second.path = prefix;
        key = &it->second;
    }
    return *key;
}

void SetValue(Key& key, Value value) {
    if (auto* existing = key.Find(value.name))
        *existing = std::move(value);
    else
        key.values.push_back(std::move(value));
}

namespace {

std::string HexList(std::string_view bytes, std::size_t prefixLength) {
    std::string out;
    std::size_t column = prefixLength;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char item[4];
        std::snprintf(item, sizeof item, "%02x", static_cast<unsigned char>(bytes[i]));
        out += item;
        column += 2;
        if (i + 1 < bytes.size()) {
            out += ',';
            ++column;
            if (column > 76) {  // wrapped as the registry editor does
                out += "\\\n  ";
                column = 2;
            }
        }
    }
    return out;
}

std::string ValueLine(const Value& v) {
    std::string line = v.name.empty() ? "@=" : Quote(v.name) + "=";
    const std::string_view data = v.data;
    if (v.type == kTypeString && !data.empty() && data.find('\0') == data.size() - 1 &&
        QuotedRoundTrips(data.substr(0, data.size() - 1))) {
        return line + Quote(data.substr(0, data.size() - 1));
    }
    if (v.type == kTypeDword && data.size() == 4) {
        std::uint32_t n = 0;
        for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(data[i]);
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08x", n);
        return line + "dword:" + hex;
    }
    if (v.type == kTypeBinary) {
        line += "hex:";
    } else {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "hex(%x):", v.type);
        line += prefix;
    }
    return line + HexList(data, line.size());
}

// Reads the data part of a value line (after "="). `more` gives the next line
// of the file for hex lists continued with a trailing backslash.
template <typename NextLine>
std::optional<Value> ParseData(std::string_view data, NextLine more) {
    Value v;
    data = TrimBlanks(data);
    if (!data.empty() && data[0] == '"') {
        std::size_t used = 0;
        auto text = Unquote(data, used);
        if (!text || !TrimBlanks(data.substr(used)).empty()) return std::nullopt;
        v.type = kTypeString;
        v.data = std::move(*text) + '\0';
        return v;
    }
    if (data.starts_with("dword:")) {
        const auto n = ParseHexNumber(data.substr(6), 8);
        if (!n) return std::nullopt;
        v.type = kTypeDword;
        for (int i = 0; i < 4; ++i) v.data += static_cast<char>((*n >> (8 * i)) & 0xFF);
        return v;
    }
    if (!data.starts_with("hex")) return std::nullopt;
    std::string_view rest = data.substr(3);
    v.type = kTypeBinary;
    if (!rest.empty() && rest[0] == '(') {
        const auto close = rest.find(')');
        if (close == std::string_view::npos) return std::nullopt;
        const auto type = ParseHexNumber(rest.substr(1, close - 1), 8);
        if (!type) return std::nullopt;
        v.type = *type;
        rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest[0] != ':') return std::nullopt;
    std::string list(TrimBlanks(rest.substr(1)));
    while (!list.empty() && list.back() == '\\') {
        list.pop_back();
        const auto next = more();
        if (!next) return std::nullopt;
        list += TrimBlanks(*next);
    }
    auto bytes = ParseHexBytes(list);
    if (!bytes) return std::nullopt;
    v.data = std::move(*bytes);
    return v;
}

}  // namespace

std::string Fold(std::string_view name) { return text::ToLowerAscii(name); }

const Value* Key::Find(std::string_view name) const {
    const auto folded = Fold(name);
    for (const auto& v : values)
        if (Fold(v.name) == folded) return &v;
    return nullptr;
}

Value* Key::Find(std::string_view name) {
    return const_cast<Value*>(static_cast<const Key*>(this)->Find(name));
}

bool NameRoundTrips(std::string_view name) { return QuotedRoundTrips(name); }

bool Parse(std::string_view text, Data& out) {
    out = {};
    std::vector<std::string_view> lines;
    for (std::size_t begin = 0; begin < text.size();) {
        auto end = text.find('\n', begin);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    std::size_t next = 0;
    auto nextLine = [&]() -> std::optional<std::string_view> {
        if (next >= lines.size()) return std::nullopt;
        return lines[next++];
    };

    Data data;
    bool header = false;
    Key* key = nullptr;
    while (auto raw = nextLine()) {
        const auto line = TrimBlanks(*raw);
        if (line.empty() || line[0] == ';') continue;
        if (!header) {
            if (line != kHeader) return false;
            header = true;
        } else if (line[0] == '[') {
            if (line.back() != ']') return false;
            const auto path = CanonicalKeyPath(line.substr(1, line.size() - 2));
            if (!path) return false;
            key = &AddKey(data, *path);
        } else if (line[0] == '"' || line[0] == '@') {
            if (!key) return false;
            std::string name;
            std::size_t used = 1;
            if (line[0] == '"') {
                auto quoted = Unquote(line, used);
                if (!quoted) return false;
                name = std::move(*quoted);
            }
            const auto rest = TrimBlanks(line.substr(used));
            if (rest.empty() || rest[0] != '=') return false;
            auto value = ParseData(rest.substr(1), nextLine);
            if (!value) return false;
            value->name = std::move(name);
            SetValue(*key, std::move(*value));
        } else {
            return false;
        }
    }
    if (!header && !TrimBlanks(text).empty()) return false;
    out = std::move(data);
    return true;
}

std::string Serialize(const Data& data) {
    std::string out(kHeader);
    out += "\n\n";
    for (const auto& [folded, key] : data.keys) {
        out += '[' + key.path + "]\n";
        for (const auto& v : key.values) out += ValueLine(v) + '\n';
        out += '\n';
    }
    return out;
}

}  // namespace zu::registry
