// The in-memory loader on the real skin library, on a fixture DLL that
// exercises imports, exports and the entry point, and on broken images.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "decoration/pe_loader.h"
#include "decoration/skin_data.h"
#include "pe_image.h"

extern "C" const unsigned char zu_fixture_dll[];
extern "C" const unsigned long long zu_fixture_dll_size;

namespace {

using zu::InMemoryLibrary;
using zu::test::Bytes;
using zu::test::Get;
using zu::test::PeLayout;
using zu::test::Put;

Bytes SkinImage() {
    auto s = zu::SkinLibraryImage();
    return {s.begin(), s.end()};
}

Bytes FixtureImage() { return {zu_fixture_dll, zu_fixture_dll + zu_fixture_dll_size}; }

bool Load(InMemoryLibrary& lib, const Bytes& image, zu::ImportHook hook = nullptr, void* data = nullptr) {
    return lib.LoadFromMemory(std::span(image.data(), image.size()), hook, data);
}

// The fixture's host: what its entry point was told, and what it answers.
struct FixtureHost {
    static inline std::vector<std::pair<std::uint32_t, void*>> calls;
    static inline int attachResult = 1;
    static __attribute__((ms_abi)) void Record(std::uint32_t reason, void* instance) {
        calls.emplace_back(reason, instance);
    }
    static __attribute__((ms_abi)) int AttachResult() { return attachResult; }
    static __attribute__((ms_abi)) int ByOrdinal(int x) { return x + 1000; }
    static __attribute__((ms_abi)) int ByOrdinalFromHook(int x) { return x + 2000; }
};

class FixtureDll : public ::testing::Test {
protected:
    void SetUp() override {
        FixtureHost::calls.clear();
        FixtureHost::attachResult = 1;
        zu::RegisterHostLibrary("TESTHOST.DLL",
                                {{"Test_Record", 0, reinterpret_cast<void*>(&FixtureHost::Record)},
                                 {"Test_AttachResult", 0, reinterpret_cast<void*>(&FixtureHost::AttachResult)},
                                 {"", 5, reinterpret_cast<void*>(&FixtureHost::ByOrdinal)}});
    }
    void TearDown() override { zu::UnregisterHostLibrary("testhost.dll"); }
};

template <typename Fn>
Fn Export(const InMemoryLibrary& lib, const char* name) {
    return reinterpret_cast<Fn>(lib.FindExport(name));
}

using IntFn = int(__attribute__((ms_abi)) *)(int);
using AddFn = int(__attribute__((ms_abi)) *)(int, int);
using VoidFn = int(__attribute__((ms_abi)) *)();

TEST_F(FixtureDll, EntryPointSeesAttachAndDetachAndExportsWork) {
    const int before = InMemoryLibrary::LiveImages();
    {
        InMemoryLibrary lib;
        ASSERT_TRUE(Load(lib, FixtureImage()));
        ASSERT_EQ(FixtureHost::calls.size(), 1u);
        EXPECT_EQ(FixtureHost::calls[0].first, 1u);
        EXPECT_EQ(FixtureHost::calls[0].second, nullptr);

        const Bytes image = FixtureImage();
        const PeLayout layout(image);
        EXPECT_EQ(lib.EntryAddress(), static_cast<std::uint8_t*>(lib.BaseAddress()) +
                                          Get<std::uint32_t>(image, layout.optional + 16));

        EXPECT_EQ(Export<AddFn>(lib, "Add")(2, 3), 5);
        EXPECT_EQ(Export<IntFn>(lib, "CallThroughTable")(21), 42);
        EXPECT_EQ(Export<IntFn>(lib, "CallHostByOrdinal")(1), 1001);
        EXPECT_TRUE(lib.Unload());
        EXPECT_EQ(lib.BaseAddress(), nullptr);
        EXPECT_EQ(lib.EntryAddress(), nullptr);
        EXPECT_EQ(lib.FindExport("Add"), nullptr);
        ASSERT_EQ(FixtureHost::calls.size(), 2u);
        EXPECT_EQ(FixtureHost::calls[1].first, 0u);
    }
    EXPECT_EQ(InMemoryLibrary::LiveImages(), before);
}

TEST_F(FixtureDll, ExportLookUpByNameAndOrdinal) {
    InMemoryLibrary lib;
    ASSERT_TRUE(Load(lib, FixtureImage()));
    auto* add = lib.FindExport("Add");
    ASSERT_NE(add, nullptr);
    const struct {
        const char* name;
        void* expected;
    } cases[] = {
        {"1", add},                                    // ordinal 1 is Add
        {"01", nullptr},                               // not the decimal text of 1: a name
        {"+1", nullptr},
        {"0", nullptr},                                // below the ordinal base
        {"-1", nullptr},
        {"8", nullptr},                                // past the last ordinal
        {"5", nullptr},                                // a gap in the table
        {"4", nullptr},                                // forwarded elsewhere: no code here
        {"Forwarded", nullptr},
        {"add", nullptr},                              // names are exact
        {"Secret", nullptr},                           // exported by ordinal only
        {"", nullptr},
        {"CallThroughTable", lib.FindExport("2")},     // names after the first are walked
        {"CallHostByOrdinal", lib.FindExport("3")},
    };
    for (const auto& c : cases) EXPECT_EQ(lib.FindExport(c.name), c.expected) << '"' << c.name << '"';
    auto secret = Export<VoidFn>(lib, "7");
    ASSERT_NE(secret, nullptr);
    EXPECT_EQ(secret(), 42);
}

TEST_F(FixtureDll, ImportHookIsAskedFirstAndMayDecline) {
    struct Seen {
        std::vector<std::string> asked;
        bool answerOrdinal = false;
    } seen;
    auto hook = [](const char* library, const char* function, void* data) -> void* {
        auto* s = static_cast<Seen*>(data);
        s->asked.push_back(std::string(library) + "!" + function);
        if (s->answerOrdinal && std::string(function) == "5")
            return reinterpret_cast<void*>(&FixtureHost::ByOrdinalFromHook);
        return nullptr;
    };
    {
        InMemoryLibrary lib;
        ASSERT_TRUE(Load(lib, FixtureImage(), hook, &seen));
        EXPECT_EQ(Export<IntFn>(lib, "CallHostByOrdinal")(1), 1001);  // declined: host table
        EXPECT_EQ(seen.asked, (std::vector<std::string>{"testhost.dll!Test_AttachResult",
                                                        "testhost.dll!5", "testhost.dll!Test_Record"}));
    }
    seen = {};
    seen.answerOrdinal = true;
    InMemoryLibrary lib;
    ASSERT_TRUE(Load(lib, FixtureImage(), hook, &seen));
    EXPECT_EQ(Export<IntFn>(lib, "CallHostByOrdinal")(1), 2001);
}

TEST_F(FixtureDll, EntryPointFailureDetachesAndLeavesNothingMapped) {
    FixtureHost::attachResult = 0;
    const int before = InMemoryLibrary::LiveImages();
    InMemoryLibrary lib;
    EXPECT_FALSE(Load(lib, FixtureImage()));
    EXPECT_EQ(lib.BaseAddress(), nullptr);
    EXPECT_EQ(lib.FindExport("Add"), nullptr);
    EXPECT_EQ(InMemoryLibrary::LiveImages(), before);
    ASSERT_EQ(FixtureHost::calls.size(), 2u);
    EXPECT_EQ(FixtureHost::calls[0].first, 1u);
    EXPECT_EQ(FixtureHost::calls[1].first, 0u);
    // The object stays usable.
    FixtureHost::attachResult = 1;
    EXPECT_TRUE(Load(lib, FixtureImage()));
}

TEST_F(FixtureDll, ALoadReplacesTheImageMappedBefore) {
    InMemoryLibrary lib;
    ASSERT_TRUE(Load(lib, FixtureImage()));
    const int mapped = InMemoryLibrary::LiveImages();
    ASSERT_TRUE(Load(lib, FixtureImage()));
    EXPECT_EQ(InMemoryLibrary::LiveImages(), mapped);
    ASSERT_EQ(FixtureHost::calls.size(), 3u);  // attach, detach of the first, attach
    EXPECT_EQ(FixtureHost::calls[1].first, 0u);
    Bytes broken = FixtureImage();
    broken[0] = 'X';
    EXPECT_FALSE(Load(lib, broken));
    EXPECT_EQ(InMemoryLibrary::LiveImages(), mapped - 1);
}

TEST(SkinImage, TwoInstancesMapIndependentlyAndBothRun) {
    zu::RegisterHostLibrary("zuhost.dll", {{"ZuHost_SetSkinStyle", 0, reinterpret_cast<void*>(+[]() {})},
                                           {"ZuHost_SetSkinColor", 0, reinterpret_cast<void*>(+[]() {})},
                                           {"ZuHost_SetWindowStyle", 0, reinterpret_cast<void*>(+[]() {})}});
    InMemoryLibrary first, second;
    ASSERT_TRUE(Load(first, SkinImage()));
    ASSERT_TRUE(Load(second, SkinImage()));
    EXPECT_NE(first.BaseAddress(), second.BaseAddress());
    for (InMemoryLibrary* lib : {&first, &second}) {
        for (const char* name : {"SkinH_AttachRes", "SkinH_SetTitleMenuBar", "SkinH_Detach"}) {
            auto* address = static_cast<std::uint8_t*>(lib->FindExport(name));
            ASSERT_NE(address, nullptr) << name;
            EXPECT_GT(address, static_cast<std::uint8_t*>(lib->BaseAddress()));
        }
        EXPECT_EQ(Export<VoidFn>(*lib, "SkinH_GetVersion")(), 1);
    }
    zu::UnregisterHostLibrary("zuhost.dll");
}

TEST(SkinImage, UnresolvedImportFailsTheLoad) {
    zu::UnregisterHostLibrary("zuhost.dll");
    const int before = InMemoryLibrary::LiveImages();
    InMemoryLibrary lib;
    EXPECT_FALSE(Load(lib, SkinImage()));
    EXPECT_EQ(lib.BaseAddress(), nullptr);
    EXPECT_EQ(lib.FindExport("SkinH_AttachRes"), nullptr);
    EXPECT_EQ(InMemoryLibrary::LiveImages(), before);
}

// Images that must be refused; each case breaks one thing of the real skin
// library (whose imports the hook answers, so only the damage can fail it).
struct Damage {
    const char* what;
    std::function<void(Bytes&, const PeLayout&)> apply;
};

void* AnyImport(const char*, const char*, void*) { return reinterpret_cast<void*>(&AnyImport); }

std::uint32_t DirectoryRva(const Bytes& b, const PeLayout& l, int d) { return Get<std::uint32_t>(b, l.Directory(d)); }

const Damage kDamages[] = {
    {"empty", [](Bytes& b, const PeLayout&) { b.clear(); }},
    {"63 bytes", [](Bytes& b, const PeLayout&) { b.resize(63); }},
    {"ends inside the PE header", [](Bytes& b, const PeLayout& l) { b.resize(l.file + 10); }},
    {"ends inside the optional header", [](Bytes& b, const PeLayout& l) { b.resize(l.optional + 200); }},
    {"ends inside the section table", [](Bytes& b, const PeLayout& l) { b.resize(l.sections + 50); }},
    {"ends inside a section", [](Bytes& b, const PeLayout& l) {
         b.resize(Get<std::uint32_t>(b, l.SectionNamed(b, ".text") + 20) + 16); }},
    {"DOS signature", [](Bytes& b, const PeLayout&) { b[1] = 'Y'; }},
    {"PE signature", [](Bytes& b, const PeLayout& l) { b[l.pe + 1] = 'F'; }},
    {"new header offset far away", [](Bytes& b, const PeLayout&) { Put<std::uint32_t>(b, 0x3C, 0xFFFFFFF0); }},
    {"32-bit machine", [](Bytes& b, const PeLayout& l) { Put<std::uint16_t>(b, l.file, 0x014C); }},
    {"not an executable image", [](Bytes& b, const PeLayout& l) {
         Put<std::uint16_t>(b, l.file + 18, Get<std::uint16_t>(b, l.file + 18) & ~0x0002); }},
    {"PE32 optional header", [](Bytes& b, const PeLayout& l) { Put<std::uint16_t>(b, l.optional, 0x10B); }},
    {"optional header too short", [](Bytes& b, const PeLayout& l) { Put<std::uint16_t>(b, l.file + 16, 100); }},
    {"more directories than the header holds", [](Bytes& b, const PeLayout& l) {
         Put<std::uint32_t>(b, l.optional + 108, 17); }},
    {"section count past the file", [](Bytes& b, const PeLayout& l) { Put<std::uint16_t>(b, l.file + 2, 0xFFFF); }},
    {"size of image 0", [](Bytes& b, const PeLayout& l) { Put<std::uint32_t>(b, l.optional + 56, 0); }},
    {"size of image 4 GiB", [](Bytes& b, const PeLayout& l) { Put<std::uint32_t>(b, l.optional + 56, 0xFFFFF000); }},
    {"size of image below the headers", [](Bytes& b, const PeLayout& l) { Put<std::uint32_t>(b, l.optional + 56, 0x100); }},
    {"section past the size of image", [](Bytes& b, const PeLayout& l) {
         Put<std::uint32_t>(b, l.SectionNamed(b, ".text") + 12, Get<std::uint32_t>(b, l.optional + 56) - 0x10); }},
    {"section raw data past the file", [](Bytes& b, const PeLayout& l) {
         Put<std::uint32_t>(b, l.SectionNamed(b, ".rdata") + 20, static_cast<std::uint32_t>(b.size())); }},
    {"section raw size huge", [](Bytes& b, const PeLayout& l) {
         Put<std::uint32_t>(b, l.SectionNamed(b, ".rdata") + 16, 0xFFFFFF00); }},
    {"relocation directory past the image", [](Bytes& b, const PeLayout& l) {
         Put<std::uint32_t>(b, l.Directory(5), Get<std::uint32_t>(b, l.optional + 56) - 4); }},
    {"relocation block of size 0", [](Bytes& b, const PeLayout& l) {
         Put<std::uint32_t>(b, l.FileOffset(b, DirectoryRva(b, l, 5)) + 4, 0); }},
    {"relocation block past its directory", [](Bytes& b, const PeLayout& l) {
         Put<std::uint32_t>(b, l.FileOffset(b, DirectoryRva(b, l, 5)) + 4, 0x1000); }},
    {"relocation target past the image", [](Bytes& b, const PeLayout& l) {
         Put<std::uint32_t>(b, l.FileOffset(b, DirectoryRva(b, l, 5)), Get<std::uint32_t>(b, l.optional + 56)); }},
    {"import directory past the image", [](Bytes& b, const PeLayout& l) {
         Put<std::uint32_t>(b, l.Directory(1), Get<std::uint32_t>(b, l.optional + 56) - 8); }},
    {"import library name past the image", [](Bytes& b, const PeLayout& l) {
         Put<std::uint32_t>(b, l.FileOffset(b, DirectoryRva(b, l, 1)) + 12, 0x7FFFFFF0); }},
    {"import name past the image", [](Bytes& b, const PeLayout& l) {
         const auto thunks = Get<std::uint32_t>(b, l.FileOffset(b, DirectoryRva(b, l, 1)) + 16);
         Put<std::uint64_t>(b, l.FileOffset(b, thunks), 0x7FFFFFF0); }},
    {"import thunks past the image", [](Bytes& b, const PeLayout& l) {
         Put<std::uint32_t>(b, l.FileOffset(b, DirectoryRva(b, l, 1)) + 16, 0x7FFFFFF0); }},
    {"entry point outside the code", [](Bytes& b, const PeLayout& l) {
         Put<std::uint32_t>(b, l.optional + 16, Get<std::uint32_t>(b, l.SectionNamed(b, ".rdata") + 12)); }},
};

class DamagedImage : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedImage, IsRefusedAndLeavesNothingMapped) {
    Bytes image = SkinImage();
    {
        // The undamaged image loads under the same hook.
        InMemoryLibrary lib;
        ASSERT_TRUE(Load(lib, image, AnyImport));
    }
    const PeLayout layout(image);
    GetParam().apply(image, layout);
    const int before = InMemoryLibrary::LiveImages();
    InMemoryLibrary lib;
    EXPECT_FALSE(Load(lib, image, AnyImport));
    EXPECT_EQ(lib.BaseAddress(), nullptr);
    EXPECT_EQ(lib.EntryAddress(), nullptr);
    EXPECT_EQ(lib.FindExport("SkinH_AttachRes"), nullptr);
    EXPECT_EQ(InMemoryLibrary::LiveImages(), before);
}

INSTANTIATE_TEST_SUITE_P(Loader, DamagedImage, ::testing::ValuesIn(kDamages),
                         [](const auto& info) {
                             std::string name;
                             for (const char* c = info.param.what; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

TEST(BuiltImage, HighLowAndDir64RelocationsMoveByTheDistanceFromThePreferredBase) {
    // Preferred base 0 is never granted, so the image always moves.
    Bytes data(32, 0);
    Put<std::uint32_t>(data, 0, 0x11223344);
    Put<std::uint64_t>(data, 8, 0x0000000100000010ULL);
    Put<std::uint32_t>(data, 16, 0xCAFEBABE);  // named by a skipped entry type
    Bytes relocs(16, 0);
    Put<std::uint32_t>(relocs, 0, 0x1000);
    Put<std::uint32_t>(relocs, 4, 16);
    Put<std::uint16_t>(relocs, 8, (3 << 12) | 0);
    Put<std::uint16_t>(relocs, 10, (10 << 12) | 8);
    Put<std::uint16_t>(relocs, 12, (4 << 12) | 16);
    Put<std::uint16_t>(relocs, 14, 0);  // padding entry
    InMemoryLibrary lib;
    ASSERT_TRUE(Load(lib, zu::test::BuildImage(0, data, relocs)));
    const auto* base = static_cast<const std::uint8_t*>(lib.BaseAddress());
    const auto delta = reinterpret_cast<std::uint64_t>(base);
    std::uint32_t v32;
    std::uint64_t v64;
    std::memcpy(&v32, base + 0x1000, 4);
    std::memcpy(&v64, base + 0x1008, 8);
    EXPECT_EQ(v32, static_cast<std::uint32_t>(0x11223344 + delta));
    EXPECT_EQ(v64, 0x0000000100000010ULL + delta);
    std::uint32_t skipped;
    std::memcpy(&skipped, base + 0x1010, 4);
    EXPECT_EQ(skipped, 0xCAFEBABE);
    // Not a DLL: nothing to call; no exports.
    EXPECT_EQ(lib.FindExport("1"), nullptr);
}

TEST(BuiltImage, ImageWithoutRelocationsAndEmptyObject) {
    InMemoryLibrary lib;
    EXPECT_EQ(lib.BaseAddress(), nullptr);
    EXPECT_EQ(lib.EntryAddress(), nullptr);
    EXPECT_EQ(lib.FindExport("x"), nullptr);
    EXPECT_TRUE(lib.Unload());
    ASSERT_TRUE(Load(lib, zu::test::BuildImage(0x7f0000000000ULL, Bytes(8, 1), {})));
    InMemoryLibrary moved = std::move(lib);
    EXPECT_EQ(lib.BaseAddress(), nullptr);
    EXPECT_NE(moved.BaseAddress(), nullptr);
}

}  // namespace
