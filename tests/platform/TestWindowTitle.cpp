// EndProcessByName finding its target by a top-level window title, on a real
// X server (Xvfb). The test plays the window manager: it lists the window in
// the root window's _NET_CLIENT_LIST as a window manager would.
#include <gtest/gtest.h>

#include <thread>

#include "ChildProcess.h"
#include "app/platform/process.h"
#include "web/codecs.h"

// Last: Xlib defines macros (None, Bool, Status) that clash with other headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace zu {
namespace {

using namespace std::chrono_literals;

class WindowTitleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed";
        server = test::Spawn("/usr/bin/Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "320x200x24"});
        auto number = test::ReadLine(server, 20s);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        number.pop_back();
        setenv("DISPLAY", (":" + number).c_str(), 1);
        unsetenv("QT_QPA_PLATFORM");
        display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        sleeper = folder.CopyAs("/bin/sleep", "zu-window-owner-" + std::to_string(getpid()));
    }
    void TearDown() override {
        for (auto& c : children) test::Kill(c);
        if (display) XCloseDisplay(display);
        test::Kill(server);
    }

    // A top-level window titled `gbkTitle` that claims to belong to `pid`.
    void AddWindow(std::string_view gbkTitle, pid_t pid) {
        const Window w = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
        const auto title = GbkToUtf8(gbkTitle);
        XChangeProperty(display, w, XInternAtom(display, "_NET_WM_NAME", False),
                        XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
        const long owner = pid;
        XChangeProperty(display, w, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&owner), 1);
        windows.push_back(static_cast<long>(w));
        XChangeProperty(display, DefaultRootWindow(display), XInternAtom(display, "_NET_CLIENT_LIST", False),
                        XA_WINDOW, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(windows.data()),
                        static_cast<int>(windows.size()));
        XSync(display, False);
    }
    test::Child StartOwner() {
        auto child = test::Spawn(sleeper, {"1000"});
        for (int i = 0; i < 200 && test::ProcessState(child.pid) != 'S'; ++i) std::this_thread::sleep_for(5ms);
        return child;
    }

    test::Child server;
    Display* display = nullptr;
    test::TempFolder folder;
    std::string sleeper;
    std::vector<long> windows;
    std::vector<test::Child> children;
};

TEST_F(WindowTitleTest, EndsTheOwnerOfTheWindowWithThatTitleIgnoringCase) {
    children.push_back(StartOwner());
    const std::string title = "Zu宝宝取名软件V1.0-" + std::to_string(getpid());
    AddWindow("Other window", getpid());
    AddWindow(title, children[0].pid);

    EXPECT_FALSE(EndProcessByName("zu宝宝取名软件v1.0"));
    ASSERT_TRUE(EndProcessByName("zu宝宝取名软件v1.0-" + std::to_string(getpid())));
    const int status = test::Wait(children[0]);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    children.clear();
}

TEST_F(WindowTitleTest, AWindowOfTheCallingProcessIsPassedOver) {
    const std::string title = "Own window " + std::to_string(getpid());
    AddWindow(title, getpid());
    EXPECT_FALSE(EndProcessByName(title));
}

TEST_F(WindowTitleTest, NoWindowLookupWithTheOffscreenPlatform) {
    children.push_back(StartOwner());
    const std::string title = "Offscreen " + std::to_string(getpid());
    AddWindow(title, children[0].pid);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    EXPECT_FALSE(EndProcessByName(title));
    EXPECT_EQ(test::ProcessState(children[0].pid), 'S');
}

}  // namespace
}  // namespace zu
