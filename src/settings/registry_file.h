// The registry's content and its REGEDIT4 text form.
//
// The file is GBK text:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE]
//   "Zu"="张"
//   "Count"=dword:00000064
//   "Path"=hex(2):25,48,4f,4d,45,25,00
//   @="the key's default value"
//
// Names and strings escape "\" as "\\" and a double quote as "\"". Strings are
// walked as GBK, so the second byte of a double-byte character (which may be
// 0x5C) is never read as an escape. Key and value names are compared without
// regard to ASCII letter case, as the registry does; a key keeps the spelling
// it was created with.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zu::registry {

// Value types by their registry numbers; any other number is kept as binary.
enum : std::uint32_t {
    kTypeString = 1,        // REG_SZ
    kTypeExpandString = 2,  // REG_EXPAND_SZ
    kTypeBinary = 3,        // REG_BINARY
    kTypeDword = 4,         // REG_DWORD, 4 bytes little-endian
};

struct Value {
    std::string name;  // empty: the key's default value ("@")
    std::uint32_t type = kTypeString;
    std::string data;  // raw bytes; a string value ends with its zero byte
};

struct Key {
    std::string path;  // full path with its root: "HKEY_LOCAL_MACHINE\\SOFTWARE"
    std::vector<Value> values;

    const Value* Find(std::string_view name) const;
    Value* Find(std::string_view name);
};

// Every key, indexed by its path folded to lower case. The roots are keys too.
struct Data {
    std::map<std::string, Key> keys;
};

// The lookup form of a key path or a value name: ASCII letters lowered, GBK kept.
std::string Fold(std::string_view name);

// "ROOT\\a\\b" with the root in its canonical spelling, or nothing when the root
// is not one of the two, a component is empty or a name holds a line break.
std::optional<std::string> CanonicalKeyPath(std::string_view path);
// Adds the key (a canonical path) and every key above it; keys that exist keep
// their spelling.
Key& AddKey(Data& data, const std::string& canonicalPath);
// Adds the value to the key or replaces the one of the same name.
void SetValue(Key& key, Value value);

// Reads a whole file. False, with `out` left empty, when the text is not a
// REGEDIT4 file this program can read (no header, a line it does not
// understand, a root other than HKEY_LOCAL_MACHINE / HKEY_CURRENT_USER, bad hex
// digits). An empty file is an empty registry.
bool Parse(std::string_view text, Data& out);

// The file text of `data`; Parse(Serialize(d)) gives d back.
std::string Serialize(const Data& data);

// True when `name` can stand in the file as a value name and be read back
// unchanged (no line breaks or zero bytes, no lone lead byte at its end).
bool NameRoundTrips(std::string_view name);

}  // namespace zu::registry
