// libFuzzer target: LoadFromMemory and FindExport on arbitrary bytes must
// refuse or map, never read or write outside what they were given. The
// image's code is never run: the entry point's checks are made, the call not.
#include <cstdint>
#include <cstring>
#include <span>

#include "decoration/pe_loader.h"

namespace {
int dummy;
void* AnswerEveryImport(const char*, const char* function, void*) {
    // Decline some imports so that the host table path is taken too.
    return function[0] == 'X' ? nullptr : &dummy;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool registered = [] {
        zu::RegisterHostLibrary("zuhost.dll", {{"Xfunc", 0, &dummy}, {"", 9, &dummy}});
        return true;
    }();
    (void)registered;
    zu::InMemoryLibrary lib;
    zu::LoadOptions options;
    options.callEntryPoint = false;
    if (lib.LoadFromMemory(std::span(data, size), AnswerEveryImport, nullptr, options)) {
        for (const char* name : {"SkinH_AttachRes", "1", "2", "0", "-1", "a"}) (void)lib.FindExport(name);
        (void)lib.EntryAddress();
    }
    return 0;
}
