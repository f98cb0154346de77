#include "decoration/pe_loader.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstring>
#include <map>
#include <optional>

namespace zu {
namespace {

// Offsets and constants of the PE32+ layout that the loader reads.
constexpr std::uint16_t kDosSignature = 0x5A4D;     // "MZ"
constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kMachineAmd64 = 0x8664;
constexpr std::uint16_t kOptionalMagicPe32Plus = 0x20B;
constexpr std::uint16_t kFileExecutableImage = 0x0002;
constexpr std::uint16_t kFileDll = 0x2000;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kOptionalDirectoriesOffset = 112;  // data directories in PE32+
constexpr std::uint32_t kDirectoryExport = 0;
constexpr std::uint32_t kDirectoryImport = 1;
constexpr std::uint32_t kDirectoryBaseReloc = 5;
constexpr std::uint32_t kSectionExecute = 0x20000000;
constexpr std::uint32_t kSectionRead = 0x40000000;
constexpr std::uint32_t kSectionWrite = 0x80000000;
constexpr int kRelocAbsolute = 0;
constexpr int kRelocHighLow = 3;
constexpr int kRelocDir64 = 10;
constexpr std::uint64_t kOrdinalFlag64 = 0x8000000000000000ULL;
constexpr std::uint32_t kDllProcessAttach = 1;
constexpr std::uint32_t kDllProcessDetach = 0;
// Far beyond any library this loader is meant for; it bounds the memory a
// forged header can reserve and the length of every walk over the image.
constexpr std::uint32_t kMaxImageSize = 64u << 20;

using DllEntry = int(__attribute__((ms_abi)) *)(void* instance, std::uint32_t reason, void* reserved);

std::atomic<int> liveImages{0};

template <typename T>
T Read(const std::uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// offset + length <= size, without overflow.
bool Fits(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
    return offset <= size && length <= size - offset;
}

// A zero-terminated text at `offset` that ends inside `size` bytes.
std::optional<std::string_view> TextAt(const std::uint8_t* base, std::uint64_t offset,
                                       std::uint64_t size) {
    if (offset >= size) return std::nullopt;
    const auto* start = reinterpret_cast<const char*>(base + offset);
    const void* end = std::memchr(start, 0, size - offset);
    if (!end) return std::nullopt;
    return std::string_view(start, static_cast<const char*>(end) - start);
}

struct Directory {
    std::uint32_t rva = 0;
    std::uint32_t size = 0;
};

// What the checked headers say; offsets are into the file image.
struct Headers {
    std::uint32_t peOffset = 0;
    std::uint16_t sectionCount = 0;
    std::uint16_t characteristics = 0;
    std::size_t sectionTable = 0;  // offset of the first section header
    std::size_t headerBytes = 0;   // every header up to the end of the section table
    std::uint64_t preferredBase = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t entryRva = 0;
    std::uint32_t directoryCount = 0;
    std::size_t directories = 0;  // offset of the data directories
};

std::optional<Headers> CheckHeaders(std::span<const std::uint8_t> image) {
    const std::uint8_t* p = image.data();
    const std::size_t n = image.size();
    if (n < 64 || Read<std::uint16_t>(p) != kDosSignature) return std::nullopt;
    Headers h;
    h.peOffset = Read<std::uint32_t>(p + 0x3C);
    if (!Fits(h.peOffset, 4 + kFileHeaderSize, n)) return std::nullopt;
    if (Read<std::uint32_t>(p + h.peOffset) != kPeSignature) return std::nullopt;
    const std::uint8_t* file = p + h.peOffset + 4;
    if (Read<std::uint16_t>(file) != kMachineAmd64) return std::nullopt;
    h.sectionCount = Read<std::uint16_t>(file + 2);
    const std::uint16_t optionalSize = Read<std::uint16_t>(file + 16);
    h.characteristics = Read<std::uint16_t>(file + 18);
    if (!(h.characteristics & kFileExecutableImage)) return std::nullopt;

    // The optional header is as long as the file header says, and must hold
    // at least the fixed PE32+ fields and the directories it claims.
    const std::size_t optional = h.peOffset + 4 + kFileHeaderSize;
    if (optionalSize < kOptionalDirectoriesOffset || !Fits(optional, optionalSize, n))
        return std::nullopt;
    const std::uint8_t* opt = p + optional;
    if (Read<std::uint16_t>(opt) != kOptionalMagicPe32Plus) return std::nullopt;
    h.entryRva = Read<std::uint32_t>(opt + 16);
    h.preferredBase = Read<std::uint64_t>(opt + 24);
    h.imageSize = Read<std::uint32_t>(opt + 56);
    h.directoryCount = Read<std::uint32_t>(opt + 108);
    if (h.directoryCount > (optionalSize - kOptionalDirectoriesOffset) / 8) return std::nullopt;
    h.directories = optional + kOptionalDirectoriesOffset;

    h.sectionTable = optional + optionalSize;
    h.headerBytes = h.sectionTable + kSectionHeaderSize * h.sectionCount;
    if (h.headerBytes > n) return std::nullopt;
    if (h.imageSize == 0 || h.imageSize > kMaxImageSize || h.headerBytes > h.imageSize)
        return std::nullopt;
    return h;
}

Directory DirectoryOf(const std::uint8_t* headers, const Headers& h, std::uint32_t index) {
    if (index >= h.directoryCount) return {};
    const std::uint8_t* d = headers + h.directories + 8 * index;
    return {Read<std::uint32_t>(d), Read<std::uint32_t>(d + 4)};
}

struct Section {
    std::uint32_t virtualSize, virtualAddress, rawSize, rawOffset, characteristics;
};

Section SectionAt(const std::uint8_t* headers, const Headers& h, std::size_t i) {
    const std::uint8_t* s = headers + h.sectionTable + kSectionHeaderSize * i;
    return {Read<std::uint32_t>(s + 8), Read<std::uint32_t>(s + 12), Read<std::uint32_t>(s + 16),
            Read<std::uint32_t>(s + 20), Read<std::uint32_t>(s + 36)};
}

bool CopySections(std::span<const std::uint8_t> image, const Headers& h, std::uint8_t* base) {
    std::memcpy(base, image.data(), h.headerBytes);
    for (std::size_t i = 0; i < h.sectionCount; ++i) {
        const Section s = SectionAt(image.data(), h, i);
        if (s.rawSize == 0 || s.virtualAddress == 0) continue;
        if (!Fits(s.rawOffset, s.rawSize, image.size())) return false;
        if (!Fits(s.virtualAddress, s.rawSize, h.imageSize)) return false;
        std::memcpy(base + s.virtualAddress, image.data() + s.rawOffset, s.rawSize);
    }
    return true;
}

// Adds the distance between the actual and the preferred base to every
// absolute address the relocation blocks name. Blocks are checked even when
// the image sits at its preferred base, so a broken table fails the same way
// wherever the memory happens to land.
bool ApplyRelocations(std::uint8_t* base, const Headers& h) {
    const Directory dir = DirectoryOf(base, h, kDirectoryBaseReloc);
    if (dir.size == 0) return true;
    if (!Fits(dir.rva, dir.size, h.imageSize)) return false;
    const std::uint64_t delta = reinterpret_cast<std::uint64_t>(base) - h.preferredBase;
    std::uint32_t at = 0;
    while (dir.size - at >= 8) {
        const std::uint8_t* block = base + dir.rva + at;
        const std::uint32_t page = Read<std::uint32_t>(block);
        const std::uint32_t blockSize = Read<std::uint32_t>(block + 4);
        if (page == 0 && blockSize == 0) break;  // terminating empty block
        if (blockSize < 8 || blockSize > dir.size - at) return false;
        for (std::uint32_t e = 8; e + 2 <= blockSize; e += 2) {
            const std::uint16_t entry = Read<std::uint16_t>(block + e);
            const int type = entry >> 12;
            const std::uint64_t target = std::uint64_t{page} + (entry & 0x0FFF);
            if (type == kRelocHighLow) {
                if (!Fits(target, 4, h.imageSize)) return false;
                const auto v = Read<std::uint32_t>(base + target) + static_cast<std::uint32_t>(delta);
                std::memcpy(base + target, &v, sizeof v);
            } else if (type == kRelocDir64) {
                if (!Fits(target, 8, h.imageSize)) return false;
                const auto v = Read<std::uint64_t>(base + target) + delta;
                std::memcpy(base + target, &v, sizeof v);
            } else if (type != kRelocAbsolute) {
                continue;  // other kinds do not occur in x64 images; skipped
            }
        }
        at += blockSize;
    }
    return true;
}

void* ResolveImport(const char* library, std::uint64_t thunk, const std::uint8_t* base,
                    std::uint32_t imageSize, ImportHook hook, void* hookData) {
    std::string function;
    std::optional<std::uint16_t> ordinal;
    if (thunk & kOrdinalFlag64) {
        ordinal = static_cast<std::uint16_t>(thunk & 0xFFFF);
        function = std::to_string(*ordinal);
    } else {
        if (thunk > 0x7FFFFFFF) return nullptr;  // a name's address is 31 bits
        auto name = TextAt(base, thunk + 2, imageSize);  // after the 2-byte hint
        if (!name) return nullptr;
        function = *name;
    }
    if (hook) {
        if (void* address = hook(library, function.c_str(), hookData)) return address;
    }
    return ordinal ? ResolveHostOrdinal(library, *ordinal) : ResolveHostFunction(library, function);
}

bool ResolveImports(std::uint8_t* base, const Headers& h, ImportHook hook, void* hookData) {
    const Directory dir = DirectoryOf(base, h, kDirectoryImport);
    if (dir.size == 0) return true;
    for (std::uint64_t at = dir.rva;; at += 20) {
        if (!Fits(at, 20, h.imageSize)) return false;
        const std::uint32_t nameRva = Read<std::uint32_t>(base + at + 12);
        const std::uint32_t firstThunk = Read<std::uint32_t>(base + at + 16);
        if (firstThunk == 0) return true;
        auto library = TextAt(base, nameRva, h.imageSize);
        if (!library) return false;
        const std::string libraryName(*library);
        for (std::uint64_t slot = firstThunk;; slot += 8) {
            if (!Fits(slot, 8, h.imageSize)) return false;
            const auto thunk = Read<std::uint64_t>(base + slot);
            if (thunk == 0) break;
            void* address = ResolveImport(libraryName.c_str(), thunk, base, h.imageSize, hook, hookData);
            if (!address) return false;
            std::memcpy(base + slot, &address, sizeof address);
        }
    }
}

// The entry point must lie inside a section that may be executed.
bool EntryIsExecutable(const std::uint8_t* base, const Headers& h) {
    for (std::size_t i = 0; i < h.sectionCount; ++i) {
        const Section s = SectionAt(base, h, i);
        const std::uint32_t extent = std::max(s.virtualSize, s.rawSize);
        if ((s.characteristics & kSectionExecute) && h.entryRva >= s.virtualAddress &&
            h.entryRva - s.virtualAddress < extent)
            return true;
    }
    return false;
}

// Gives every page the access its sections ask for: headers and gaps are
// read-only, code is read and execute, data read and write. A page shared by
// two sections gets what both ask for.
bool ProtectSections(std::uint8_t* base, const Headers& h, std::size_t mappedSize) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::vector<int> access(mappedSize / page, PROT_READ);
    for (std::size_t i = 0; i < h.sectionCount; ++i) {
        const Section s = SectionAt(base, h, i);
        const std::uint64_t extent = std::max(s.virtualSize, s.rawSize);
        if (extent == 0 || s.virtualAddress >= h.imageSize) continue;
        const std::uint64_t end = std::min<std::uint64_t>(std::uint64_t{s.virtualAddress} + extent, h.imageSize);
        int prot = 0;
        if (s.characteristics & kSectionRead) prot |= PROT_READ;
        if (s.characteristics & kSectionWrite) prot |= PROT_READ | PROT_WRITE;
        if (s.characteristics & kSectionExecute) prot |= PROT_READ | PROT_EXEC;
        for (std::uint64_t p = s.virtualAddress / page; p * page < end; ++p) access[p] |= prot;
    }
    for (std::size_t p = 0; p < access.size();) {
        std::size_t q = p;
        while (q < access.size() && access[q] == access[p]) ++q;
        if (mprotect(base + p * page, (q - p) * page, access[p]) != 0) return false;
        p = q;
    }
    return true;
}

struct HostLibraryTable {
    std::mutex mutex;
    std::map<std::string, std::vector<HostFunction>> libraries;  // keyed by upper-case name
};

HostLibraryTable& Hosts() {
    static HostLibraryTable table;
    return table;
}

std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace

void RegisterHostLibrary(std::string_view library, std::vector<HostFunction> functions) {
    std::lock_guard lock(Hosts().mutex);
    Hosts().libraries[UpperAscii(library)] = std::move(functions);
}

void UnregisterHostLibrary(std::string_view library) {
    std::lock_guard lock(Hosts().mutex);
    Hosts().libraries.erase(UpperAscii(library));
}

void* ResolveHostFunction(std::string_view library, std::string_view function) {
    std::lock_guard lock(Hosts().mutex);
    auto it = Hosts().libraries.find(UpperAscii(library));
    if (it == Hosts().libraries.end() || function.empty()) return nullptr;
    for (const HostFunction& f : it->second)
        if (f.name == function) return f.address;
    return nullptr;
}

void* ResolveHostOrdinal(std::string_view library, std::uint16_t ordinal) {
    std::lock_guard lock(Hosts().mutex);
    auto it = Hosts().libraries.find(UpperAscii(library));
    if (it == Hosts().libraries.end() || ordinal == 0) return nullptr;
    for (const HostFunction& f : it->second)
        if (f.ordinal == ordinal) return f.address;
    return nullptr;
}

InMemoryLibrary::~InMemoryLibrary() { Unload(); }

InMemoryLibrary::InMemoryLibrary(InMemoryLibrary&& other) noexcept { *this = std::move(other); }

InMemoryLibrary& InMemoryLibrary::operator=(InMemoryLibrary&& other) noexcept {
    if (this != &other) {
        Unload();
        std::swap(base_, other.base_);
        std::swap(mappedSize_, other.mappedSize_);
        std::swap(imageSize_, other.imageSize_);
        std::swap(entryRva_, other.entryRva_);
        std::swap(isDll_, other.isDll_);
        std::swap(attached_, other.attached_);
    }
    return *this;
}

int InMemoryLibrary::LiveImages() { return liveImages.load(); }

bool InMemoryLibrary::LoadFromMemory(std::span<const std::uint8_t> image, ImportHook hook,
                                     void* hookData, LoadOptions options) {
    if (base_) Unload();
#if !defined(__x86_64__)
    (void)image, (void)hook, (void)hookData, (void)options;
    return false;  // the image's code is x86-64
#else
    const std::optional<Headers> h = CheckHeaders(image);
    if (!h) return false;

    // Mapped read-write first; each section gets its own access once the
    // relocations and imports are written. The preferred base is only a hint.
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t mappedSize = (std::size_t{h->imageSize} + page - 1) / page * page;
    void* hint = reinterpret_cast<void*>(h->preferredBase);
    void* memory = mmap(hint, mappedSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return false;
    base_ = static_cast<std::uint8_t*>(memory);
    mappedSize_ = mappedSize;
    imageSize_ = h->imageSize;
    entryRva_ = h->entryRva;
    isDll_ = (h->characteristics & kFileDll) != 0;
    liveImages.fetch_add(1);

    if (!CopySections(image, *h, base_) ||
        (isDll_ && entryRva_ != 0 && !EntryIsExecutable(base_, *h)) ||
        !ApplyRelocations(base_, *h) || !ResolveImports(base_, *h, hook, hookData) ||
        !ProtectSections(base_, *h, mappedSize_)) {
        Release();
        return false;
    }
    if (isDll_ && entryRva_ != 0 && options.callEntryPoint) {
        auto entry = reinterpret_cast<DllEntry>(base_ + entryRva_);
        if (entry(nullptr, kDllProcessAttach, nullptr) == 0) {
            entry(nullptr, kDllProcessDetach, nullptr);
            Release();
            return false;
        }
    }
    attached_ = isDll_ && entryRva_ != 0 && options.callEntryPoint;
    return true;
#endif
}

void InMemoryLibrary::Release() {
    if (!base_) return;
    munmap(base_, mappedSize_);
    liveImages.fetch_sub(1);
    base_ = nullptr;
    mappedSize_ = 0;
    imageSize_ = 0;
    entryRva_ = 0;
    isDll_ = false;
    attached_ = false;
}

bool InMemoryLibrary::Unload() {
    if (base_ && attached_) {
        auto entry = reinterpret_cast<DllEntry>(base_ + entryRva_);
        entry(nullptr, kDllProcessDetach, nullptr);
    }
    Release();
    return base_ == nullptr;
}

void* InMemoryLibrary::EntryAddress() const {
    return base_ ? base_ + entryRva_ : nullptr;
}

void* InMemoryLibrary::FindExport(std::string_view name) const {
    if (!base_) return nullptr;
    // The headers were checked when the image was mapped.
    const std::optional<Headers> h = CheckHeaders({base_, imageSize_});
    if (!h) return nullptr;
    const Directory dir = DirectoryOf(base_, *h, kDirectoryExport);
    if (dir.size == 0 || !Fits(dir.rva, 40, imageSize_)) return nullptr;
    const std::uint8_t* ed = base_ + dir.rva;
    const std::uint32_t ordinalBase = Read<std::uint32_t>(ed + 16);
    const std::uint32_t functionCount = Read<std::uint32_t>(ed + 20);
    const std::uint32_t nameCount = Read<std::uint32_t>(ed + 24);
    const std::uint32_t functions = Read<std::uint32_t>(ed + 28);
    const std::uint32_t names = Read<std::uint32_t>(ed + 32);
    const std::uint32_t nameOrdinals = Read<std::uint32_t>(ed + 36);

    auto functionAt = [&](std::uint64_t index) -> void* {
        if (index >= functionCount || !Fits(functions + 4 * index, 4, imageSize_)) return nullptr;
        const std::uint32_t rva = Read<std::uint32_t>(base_ + functions + 4 * index);
        if (rva == 0 || rva >= imageSize_) return nullptr;
        // An address inside the export directory is a forward to another
        // library's export, a text and not code: it cannot be offered.
        if (rva >= dir.rva && rva - dir.rva < dir.size) return nullptr;
        return base_ + rva;
    };

    // A name that is the decimal text of a whole number is an ordinal.
    long long number = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), number);
    if (error == std::errc{} && end == name.data() + name.size() && std::to_string(number) == name) {
        const long long index = number - static_cast<long long>(ordinalBase);
        if (index < 0) return nullptr;
        return functionAt(static_cast<std::uint64_t>(index));
    }

    // Names are walked in table order: the first through the name pointer
    // table, each following one right after the previous name's zero byte.
    if (nameCount == 0 || !Fits(names, 4, imageSize_) ||
        !Fits(nameOrdinals, 2ull * nameCount, imageSize_))
        return nullptr;
    std::uint64_t at = Read<std::uint32_t>(base_ + names);
    for (std::uint64_t i = 0; i < nameCount; ++i) {
        const auto current = TextAt(base_, at, imageSize_);
        if (!current) return nullptr;
        const std::uint16_t ordinal = Read<std::uint16_t>(base_ + nameOrdinals + 2 * i);
        if (ordinal < functionCount && *current == name) {
            if (void* address = functionAt(ordinal)) return address;
        }
        at += current->size() + 1;
    }
    return nullptr;
}

}  // namespace zu
