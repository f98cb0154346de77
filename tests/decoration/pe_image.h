// Reading and writing the fields of a PE32+ image in tests, and a builder for
// small images made from scratch.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zu::test {

using Bytes = std::vector<std::uint8_t>;

template <typename T>
T Get(const Bytes& b, std::size_t at) {
    T v{};
    std::memcpy(&v, b.data() + at, sizeof v);
    return v;
}

template <typename T>
void Put(Bytes& b, std::size_t at, T v) {
    std::memcpy(b.data() + at, &v, sizeof v);
}

// Offsets of the headers of a well-formed image.
struct PeLayout {
    explicit PeLayout(const Bytes& image);
    std::size_t pe = 0;        // "PE\0\0"
    std::size_t file = 0;      // file header
    std::size_t optional = 0;  // optional header
    std::size_t sections = 0;  // first section header
    std::uint16_t sectionCount = 0;
    std::size_t Directory(int index) const { return optional + 112 + 8 * index; }
    std::size_t Section(int index) const { return sections + 40 * index; }
    // The header of the section named `name` ("" when missing: npos).
    std::size_t SectionNamed(const Bytes& image, const std::string& name) const;
    // The file offset of an address inside the image.
    std::size_t FileOffset(const Bytes& image, std::uint32_t rva) const;
};

// A minimal executable image (not a DLL): one read-write section at 0x1000
// holding `data`, and a relocation section at 0x2000 holding `relocations`
// (a whole base relocation directory) when it is not empty.
Bytes BuildImage(std::uint64_t preferredBase, const Bytes& data, const Bytes& relocations);

}  // namespace zu::test
