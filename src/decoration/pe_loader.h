// Maps a 64-bit Windows DLL image (PE32+) from memory into this process and
// finds its exports, without the image ever touching the disk. Imports are
// resolved against the host's own function table (the stand-in for a system
// loader), or first through an optional import hook.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zu {

// Asked first for every import. `function` is the imported name, or for an
// import by ordinal the ordinal as decimal text. Returns the address to use,
// or null to fall back to the host function table.
using ImportHook = void* (*)(const char* library, const char* function, void* hookData);

// One function the host offers to mapped images.
struct HostFunction {
    std::string name;           // empty: reachable by ordinal only
    std::uint16_t ordinal = 0;  // 0: reachable by name only
    void* address = nullptr;
};

// The host's libraries of functions that mapped images may import. Library
// names compare without regard to ASCII letter case, as DLL names do.
// Registering a name again replaces its functions.
void RegisterHostLibrary(std::string_view library, std::vector<HostFunction> functions);
void UnregisterHostLibrary(std::string_view library);
// The stand-in for looking a library up and a function in it: null when the
// library or the function is not offered.
void* ResolveHostFunction(std::string_view library, std::string_view function);
void* ResolveHostOrdinal(std::string_view library, std::uint16_t ordinal);

struct LoadOptions {
    // Off only where the image's code must not run (the fuzzer): every check
    // on the entry point is still made, but it is not called.
    bool callEntryPoint = true;
};

class InMemoryLibrary {
public:
    InMemoryLibrary() = default;
    ~InMemoryLibrary();
    // One object owns one mapping: a copy would unmap it twice.
    InMemoryLibrary(const InMemoryLibrary&) = delete;
    InMemoryLibrary& operator=(const InMemoryLibrary&) = delete;
    InMemoryLibrary(InMemoryLibrary&& other) noexcept;
    InMemoryLibrary& operator=(InMemoryLibrary&& other) noexcept;

    // Maps the image: true when it is mapped afterwards. Unloads an image
    // mapped before. Any image that fails a check leaves nothing mapped.
    bool LoadFromMemory(std::span<const std::uint8_t> image, ImportHook hook = nullptr,
                        void* hookData = nullptr, LoadOptions options = {});
    // Calls a DLL's entry point with the detach reason and unmaps the image.
    // True when nothing is mapped afterwards.
    bool Unload();
    // An export by name (exact case), or by ordinal when the name is the
    // decimal text of a whole number. Null when not found or nothing mapped.
    void* FindExport(std::string_view name) const;
    void* EntryAddress() const;
    void* BaseAddress() const { return base_; }

    // Images mapped by all objects together, for tests that must see that a
    // failed load leaves nothing behind.
    static int LiveImages();

private:
    void Release();

    std::uint8_t* base_ = nullptr;
    std::size_t mappedSize_ = 0;
    std::uint32_t imageSize_ = 0;
    std::uint32_t entryRva_ = 0;
    bool isDll_ = false;
    bool attached_ = false;  // the entry point was told of the attach
};

}  // namespace zu
