#include "app/platform/x11_windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <string>

#include "web/codecs.h"
#include "web/text.h"

namespace zu {
namespace {

// The few libX11 functions used, looked up once.
struct Xlib {
    decltype(&XOpenDisplay) openDisplay = nullptr;
    decltype(&XCloseDisplay) closeDisplay = nullptr;
    decltype(&XDefaultRootWindow) defaultRootWindow = nullptr;
    decltype(&XInternAtom) internAtom = nullptr;
    decltype(&XGetWindowProperty) getWindowProperty = nullptr;
    decltype(&XFree) free = nullptr;

    static const Xlib* Get() {
        static const Xlib lib = [] {
            Xlib x;
            void* handle = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
            if (!handle) return x;
            auto sym = [handle](auto& fn, const char* name) { fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(handle, name)); };
            sym(x.openDisplay, "XOpenDisplay");
            sym(x.closeDisplay, "XCloseDisplay");
            sym(x.defaultRootWindow, "XDefaultRootWindow");
            sym(x.internAtom, "XInternAtom");
            sym(x.getWindowProperty, "XGetWindowProperty");
            sym(x.free, "XFree");
            return x;
        }();
        const bool complete = lib.openDisplay && lib.closeDisplay && lib.defaultRootWindow && lib.internAtom &&
                              lib.getWindowProperty && lib.free;
        return complete ? &lib : nullptr;
    }
};

bool XDisplayInUse() {
    const char* display = std::getenv("DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return display && *display && !(platform && std::string_view(platform).starts_with("offscreen"));
}

// The bytes of a window property of the given type; empty when it has none.
std::string Property(const Xlib& x, Display* d, Window w, Atom property, Atom type, int& format) {
    Atom actualType = None;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::string bytes;
    if (x.getWindowProperty(d, w, property, 0, 1 << 20, False, type, &actualType, &format, &count, &remaining,
                            &data) == Success &&
        data && actualType == type) {
        // Xlib hands 32-bit items as longs.
        const std::size_t itemSize = format == 32 ? sizeof(long) : static_cast<std::size_t>(format / 8);
        bytes.assign(reinterpret_cast<const char*>(data), count * itemSize);
    }
    if (data) x.free(data);
    return bytes;
}

}  // namespace

std::vector<pid_t> X11WindowOwners(std::string_view gbkTitle) {
    std::vector<pid_t> owners;
    if (gbkTitle.empty() || !XDisplayInUse()) return owners;
    const Xlib* x = Xlib::Get();
    if (!x) return owners;
    Display* d = x->openDisplay(nullptr);
    if (!d) return owners;
    const Atom clientList = x->internAtom(d, "_NET_CLIENT_LIST", False);
    const Atom wmName = x->internAtom(d, "_NET_WM_NAME", False);
    const Atom wmPid = x->internAtom(d, "_NET_WM_PID", False);
    const Atom utf8 = x->internAtom(d, "UTF8_STRING", False);
    const auto wanted = text::ToLowerAscii(gbkTitle);

    int format = 0;
    const auto list = Property(*x, d, x->defaultRootWindow(d), clientList, XA_WINDOW, format);
    for (std::size_t i = 0; format == 32 && i + sizeof(long) <= list.size(); i += sizeof(long)) {
        long window = 0;
        std::memcpy(&window, list.data() + i, sizeof window);
        int nameFormat = 0, pidFormat = 0;
        const auto title = Property(*x, d, static_cast<Window>(window), wmName, utf8, nameFormat);
        if (nameFormat != 8 || text::ToLowerAscii(Utf8ToGbk(title)) != wanted) continue;
        const auto pid = Property(*x, d, static_cast<Window>(window), wmPid, XA_CARDINAL, pidFormat);
        if (pidFormat != 32 || pid.size() < sizeof(long)) continue;
        long value = 0;
        std::memcpy(&value, pid.data(), sizeof value);
        if (value > 0) owners.push_back(static_cast<pid_t>(value));
    }
    x->closeDisplay(d);
    return owners;
}

}  // namespace zu
