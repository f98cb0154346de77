#include "pe_image.h"

namespace zu::test {

PeLayout::PeLayout(const Bytes& image) {
    pe = Get<std::uint32_t>(image, 0x3C);
    file = pe + 4;
    optional = file + 20;
    sections = optional + Get<std::uint16_t>(image, file + 16);
    sectionCount = Get<std::uint16_t>(image, file + 2);
}

std::size_t PeLayout::SectionNamed(const Bytes& image, const std::string& name) const {
    for (int i = 0; i < sectionCount; ++i) {
        const char* n = reinterpret_cast<const char*>(image.data() + Section(i));
        if (std::string(n, strnlen(n, 8)) == name) return Section(i);
    }
    return std::string::npos;
}

std::size_t PeLayout::FileOffset(const Bytes& image, std::uint32_t rva) const {
    for (int i = 0; i < sectionCount; ++i) {
        const std::size_t s = Section(i);
        const auto va = Get<std::uint32_t>(image, s + 12);
        const auto raw = Get<std::uint32_t>(image, s + 16);
        if (rva >= va && rva < va + raw) return Get<std::uint32_t>(image, s + 20) + (rva - va);
    }
    return std::string::npos;
}

Bytes BuildImage(std::uint64_t preferredBase, const Bytes& data, const Bytes& relocations) {
    constexpr std::size_t kPe = 0x80, kOptional = kPe + 24, kSections = kOptional + 240;
    const std::uint16_t sectionCount = relocations.empty() ? 1 : 2;
    Bytes image(0x400, 0);
    Put<std::uint16_t>(image, 0, 0x5A4D);
    Put<std::uint32_t>(image, 0x3C, kPe);
    Put<std::uint32_t>(image, kPe, 0x4550);
    Put<std::uint16_t>(image, kPe + 4, 0x8664);
    Put<std::uint16_t>(image, kPe + 6, sectionCount);
    Put<std::uint16_t>(image, kPe + 20, 240);
    Put<std::uint16_t>(image, kPe + 22, 0x0022);  // executable, large address aware
    Put<std::uint16_t>(image, kOptional, 0x20B);
    Put<std::uint64_t>(image, kOptional + 24, preferredBase);
    Put<std::uint32_t>(image, kOptional + 32, 0x1000);  // section alignment
    Put<std::uint32_t>(image, kOptional + 36, 0x200);   // file alignment
    Put<std::uint32_t>(image, kOptional + 56, 0x3000);  // size of image
    Put<std::uint32_t>(image, kOptional + 60, 0x400);   // size of headers
    Put<std::uint32_t>(image, kOptional + 108, 16);

    auto addSection = [&](int index, const char* name, std::uint32_t va, const Bytes& content,
                          std::uint32_t flags) {
        const std::size_t h = kSections + 40 * index;
        std::memcpy(image.data() + h, name, std::strlen(name));
        const auto raw = static_cast<std::uint32_t>((content.size() + 0x1FF) / 0x200 * 0x200);
        Put<std::uint32_t>(image, h + 8, static_cast<std::uint32_t>(content.size()));
        Put<std::uint32_t>(image, h + 12, va);
        Put<std::uint32_t>(image, h + 16, raw);
        Put<std::uint32_t>(image, h + 20, static_cast<std::uint32_t>(image.size()));
        Put<std::uint32_t>(image, h + 36, flags);
        Bytes padded = content;
        padded.resize(raw, 0);
        image.insert(image.end(), padded.begin(), padded.end());
    };
    addSection(0, ".data", 0x1000, data, 0xC0000040);
    if (!relocations.empty()) {
        addSection(1, ".reloc", 0x2000, relocations, 0x42000040);
        Put<std::uint32_t>(image, kOptional + 112 + 8 * 5, 0x2000);
        Put<std::uint32_t>(image, kOptional + 112 + 8 * 5 + 4, static_cast<std::uint32_t>(relocations.size()));
    }
    return image;
}

}  // namespace zu::test
