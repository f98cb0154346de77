// The skin library's two calls, made on the real DLL mapped from the
// program's constant data, reach the host functions with the skin's content.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "decoration/pe_loader.h"
#include "decoration/skin_data.h"

namespace {

using zu::InMemoryLibrary;

// A host that keeps what the library hands it.
struct RecordingHost {
    static inline std::map<std::string, std::uint32_t> colors;
    static inline std::vector<std::string> styles;
    static inline std::vector<std::pair<std::uint64_t, std::string>> windowStyles;
    static __attribute__((ms_abi)) void SetSkinStyle(const char* s, std::uint32_t n) { styles.emplace_back(s, n); }
    static __attribute__((ms_abi)) void SetSkinColor(const char* name, std::uint32_t rgb) { colors[name] = rgb; }
    static __attribute__((ms_abi)) void SetWindowStyle(std::uint64_t w, const char* s, std::uint32_t n) {
        windowStyles.emplace_back(w, std::string(s, n));
    }
    static void Reset() {
        colors.clear();
        styles.clear();
        windowStyles.clear();
    }
};

using AttachResFn = int(__attribute__((ms_abi)) *)(const std::uint8_t*, std::uint32_t, const char*, int, int, int);
using SetTitleMenuBarFn = int(__attribute__((ms_abi)) *)(std::uint64_t, int, std::uint32_t, std::uint32_t,
                                                         std::uint32_t);

class SkinLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        RecordingHost::Reset();
        zu::RegisterHostLibrary(
            "ZuHost.dll", {{"ZuHost_SetSkinStyle", 0, reinterpret_cast<void*>(&RecordingHost::SetSkinStyle)},
                           {"ZuHost_SetSkinColor", 0, reinterpret_cast<void*>(&RecordingHost::SetSkinColor)},
                           {"ZuHost_SetWindowStyle", 0, reinterpret_cast<void*>(&RecordingHost::SetWindowStyle)}});
        ASSERT_TRUE(attach.LoadFromMemory(zu::SkinLibraryImage()));
        ASSERT_TRUE(title.LoadFromMemory(zu::SkinLibraryImage()));
        attachRes = reinterpret_cast<AttachResFn>(attach.FindExport("SkinH_AttachRes"));
        setTitle = reinterpret_cast<SetTitleMenuBarFn>(title.FindExport("SkinH_SetTitleMenuBar"));
        ASSERT_NE(attachRes, nullptr);
        ASSERT_NE(setTitle, nullptr);
    }
    void TearDown() override { zu::UnregisterHostLibrary("zuhost.dll"); }

    int Attach(const std::string& skin, int hue = 0, int sat = 0, int bright = 0) {
        return attachRes(reinterpret_cast<const std::uint8_t*>(skin.data()),
                         static_cast<std::uint32_t>(skin.size()), nullptr, hue, sat, bright);
    }
    static std::string ShippedSkin() {
        auto s = zu::SkinData();
        return {reinterpret_cast<const char*>(s.data()), s.size()};
    }

    InMemoryLibrary attach, title;
    AttachResFn attachRes = nullptr;
    SetTitleMenuBarFn setTitle = nullptr;
};

TEST_F(SkinLibrary, ShippedSkinHandsTheHostItsColoursAndAFilledStyleSheet) {
    const std::string skin = ShippedSkin();
    ASSERT_EQ(skin.substr(0, 4), ".SHE");
    EXPECT_EQ(Attach(skin), 1);
    EXPECT_EQ(RecordingHost::colors.at("window"), 0xEDF3F6u);
    EXPECT_EQ(RecordingHost::colors.at("highlight"), 0x3C8DC5u);
    ASSERT_EQ(RecordingHost::styles.size(), 1u);
    const std::string& style = RecordingHost::styles[0];
    EXPECT_NE(style.find("QMainWindow, QDialog { background: #edf3f6; }"), std::string::npos);
    EXPECT_EQ(style.find('@'), std::string::npos) << style;
}

TEST_F(SkinLibrary, TemplateAndColourRules) {
    const struct {
        const char* skin;
        int result;
        const char* style;  // what the host receives, when the skin is taken
    } cases[] = {
        {".SHE 1\nfg=#102030\n[style]\nQLabel { color: @fg@; }", 1, "QLabel { color: #102030; }"},
        {".SHE 1\r\n; comment\r\nfg=#AbCdEf  \r\n[style]\r\na@fg@b", 1, "a#abcdefb"},
        {".SHE 1\nfg=#102030\n[style]\n@unknown@ @fg", 1, "@unknown@ @fg"},   // left as written
        {".SHE 1\n[style]\n", 1, ""},
        {".SHE 2\nfg=#102030\n[style]\nx", 0, nullptr},                      // unknown version
        {".SHX 1\n[style]\nx", 0, nullptr},
        {".SHE 1\nfg=#10203\n[style]\nx", 0, nullptr},                       // short colour
        {".SHE 1\nfg=#1020GG\n[style]\nx", 0, nullptr},
        {".SHE 1\nfg 102030\n[style]\nx", 0, nullptr},                       // no "="
        {".SHE 1\nfg=#102030\n", 0, nullptr},                                // no style
        {"", 0, nullptr},
    };
    for (const auto& c : cases) {
        RecordingHost::Reset();
        EXPECT_EQ(Attach(c.skin), c.result) << c.skin;
        if (c.style) {
            ASSERT_EQ(RecordingHost::styles.size(), 1u) << c.skin;
            EXPECT_EQ(RecordingHost::styles[0], c.style);
        } else {
            EXPECT_TRUE(RecordingHost::styles.empty() && RecordingHost::colors.empty()) << c.skin;
        }
    }
    EXPECT_EQ(attachRes(nullptr, 100, nullptr, 0, 0, 0), 0);
}

TEST_F(SkinLibrary, HueSaturationAndBrightnessShiftTheColours) {
    const struct {
        int hue, sat, bright;
        std::uint32_t in, out;
    } cases[] = {
        {0, 0, 0, 0x3C8DC5, 0x3C8DC5},
        {120, 0, 0, 0xFF0000, 0x00FF00},
        {-120, 0, 0, 0xFF0000, 0x0000FF},
        {360, 0, 0, 0x00FF00, 0x00FF00},
        {0, -100, 0, 0xFF0000, 0xFFFFFF},  // no saturation: grey at full value
        {0, 0, -100, 0x3C8DC5, 0x000000},
        {0, 0, 100, 0x000000, 0xFFFFFF},
    };
    for (const auto& c : cases) {
        RecordingHost::Reset();
        char skin[64];
        std::snprintf(skin, sizeof skin, ".SHE 1\nc=#%06X\n[style]\n", c.in);
        ASSERT_EQ(Attach(skin, c.hue, c.sat, c.bright), 1);
        EXPECT_EQ(RecordingHost::colors.at("c"), c.out) << c.hue << ' ' << c.sat << ' ' << c.bright;
    }
}

TEST_F(SkinLibrary, TitleBarInstanceSkinsTheWindowItIsGiven) {
    // Its own copy holds no skin: it uses the shipped skin's bar colours.
    EXPECT_EQ(setTitle(0x1234, 1, 0, 0, 0), 1);
    ASSERT_EQ(RecordingHost::windowStyles.size(), 1u);
    EXPECT_EQ(RecordingHost::windowStyles[0].first, 0x1234u);
    const std::string bar = RecordingHost::windowStyles[0].second;
    EXPECT_EQ(bar.find('@'), std::string::npos);
    // Those are the colours the shipped skin gives the attach instance.
    ASSERT_EQ(Attach(ShippedSkin()), 1);
    for (const char* name : {"title", "titleText", "highlight", "frame"}) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%06x", RecordingHost::colors.at(name));
        EXPECT_NE(bar.find(hex), std::string::npos) << name << ' ' << hex;
    }
    // Colour arguments override, 0 removes.
    EXPECT_EQ(setTitle(0x1234, 1, 0x102030, 0, 0), 1);
    EXPECT_NE(RecordingHost::windowStyles.back().second.find("background: #102030"), std::string::npos);
    EXPECT_EQ(setTitle(0x1234, 0, 0, 0, 0), 1);
    EXPECT_EQ(RecordingHost::windowStyles.back().second, "");
}

}  // namespace
