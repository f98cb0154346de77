// Prints what the registry store costs: a read of an unchanged file (one stat
// and a lookup), a read after another program changed the file (a parse), and
// a write (a whole atomic rewrite with fsync), for a file like the program's.
#include <chrono>
#include <cstdio>
#include <string>

#include "ScopedConfigHome.h"
#include "settings/registry.h"
#include "settings/settings_store.h"

int main() {
    using Clock = std::chrono::steady_clock;
    zu::test::ScopedConfigHome home;
    const char* names[] = {"Zu", "Zu1", "Zu2", "Zu3", "Zu4", "Zu5", "Zubf1", "Zubf2", "Zubf3", "Zums", "Zums1", "Zusy"};
    for (auto n : names) zu::WriteSetting(n, "张三");
    for (int i = 0; i < 40; ++i)
        zu::RegistryWriteText(zu::RegistryRoot::LocalMachine,
                              "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\T" + std::to_string(i) + "\\CLSID", "{x}");

    auto perCall = [](int n, auto&& f) {
        const auto t0 = Clock::now();
        for (int i = 0; i < n; ++i) f(i);
        return std::chrono::duration<double, std::micro>(Clock::now() - t0).count() / n;
    };
    const double cached = perCall(2000, [&](int i) { (void)zu::ReadSetting(names[i % 12]); });
    const std::string text = home.ReadRegistryFile();
    const double reparsed = perCall(200, [&](int) {
        home.WriteRegistryFile(text);
        (void)zu::ReadSetting("Zu");
    });
    const double written = perCall(50, [&](int i) { zu::WriteSetting("Zu", std::to_string(i)); });
    std::printf("registry file: %zu bytes\n", text.size());
    std::printf("read, file unchanged:     %9.2f us\n", cached);
    std::printf("read, file replaced:      %9.2f us (includes writing the file)\n", reparsed);
    std::printf("write (atomic rewrite):   %9.2f us\n", written);
    return 0;
}
