#include "decoration/skin.h"

#include <QApplication>
#include <QHash>
#include <QMenuBar>
#include <QPalette>
#include <QPointer>
#include <QStyle>
#include <QWidget>

#include <optional>

#include "decoration/decoration.h"
#include "decoration/skin_data.h"

namespace zu {
namespace {

using AttachResFn = int(__attribute__((ms_abi)) *)(const std::uint8_t* data, std::uint32_t length,
                                                   const char* password, int hue, int saturation,
                                                   int brightness);
using SetTitleMenuBarFn = int(__attribute__((ms_abi)) *)(std::uint64_t window, int enable,
                                                         std::uint32_t bar, std::uint32_t text,
                                                         std::uint32_t highlight);

constexpr char kHandleProperty[] = "ZuSkin_Handle";

QHash<std::uint64_t, QPointer<QWidget>>& Windows() {
    static QHash<std::uint64_t, QPointer<QWidget>> windows;
    return windows;
}

// The colours the library hands over take effect with its style sheet, so a
// skin changes the palette once and not once per colour.
QPalette& PendingPalette() {
    static QPalette palette;
    return palette;
}

bool pendingColors = false;

std::optional<QPalette::ColorRole> RoleNamed(const QByteArray& name) {
    static const QHash<QByteArray, QPalette::ColorRole> roles = {
        {"window", QPalette::Window},          {"windowText", QPalette::WindowText},
        {"base", QPalette::Base},              {"alternateBase", QPalette::AlternateBase},
        {"text", QPalette::Text},              {"button", QPalette::Button},
        {"buttonText", QPalette::ButtonText},  {"highlight", QPalette::Highlight},
        {"highlightText", QPalette::HighlightedText}, {"link", QPalette::Link},
        {"toolTipBase", QPalette::ToolTipBase}, {"toolTipText", QPalette::ToolTipText},
        {"placeholderText", QPalette::PlaceholderText},
    };
    auto it = roles.find(name);
    if (it == roles.end()) return std::nullopt;
    return *it;
}

__attribute__((ms_abi)) void HostSetSkinColor(const char* name, std::uint32_t rgb) {
    if (!name || !qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    const auto role = RoleNamed(QByteArray(name));
    if (!role) return;
    if (!pendingColors) PendingPalette() = QApplication::style()->standardPalette();
    pendingColors = true;
    const QColor color(QRgb(rgb & 0xFFFFFF));
    PendingPalette().setColor(QPalette::Active, *role, color);
    PendingPalette().setColor(QPalette::Inactive, *role, color);
    if (*role != QPalette::Text && *role != QPalette::WindowText && *role != QPalette::ButtonText)
        PendingPalette().setColor(QPalette::Disabled, *role, color);
}

__attribute__((ms_abi)) void HostSetSkinStyle(const char* sheet, std::uint32_t length) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) return;
    const QString styleSheet = sheet ? QString::fromUtf8(sheet, length) : QString();
    if (styleSheet.isEmpty()) {
        QApplication::setPalette(QApplication::style()->standardPalette());
    } else if (pendingColors) {
        QApplication::setPalette(PendingPalette());
    }
    pendingColors = false;
    app->setStyleSheet(styleSheet);
}

__attribute__((ms_abi)) void HostSetWindowStyle(std::uint64_t handle, const char* sheet,
                                                std::uint32_t length) {
    QWidget* window = SkinWindowFromHandle(handle);
    if (!window) return;
    const QString styleSheet = sheet ? QString::fromUtf8(sheet, length) : QString();
    // The bars' own sheet, so that the window keeps whatever sheet it has.
    for (QMenuBar* bar : window->findChildren<QMenuBar*>()) bar->setStyleSheet(styleSheet);
}

template <typename Fn>
Fn ExportOf(const InMemoryLibrary& library, const char* name) {
    return reinterpret_cast<Fn>(library.FindExport(name));
}

}  // namespace

InMemoryLibrary& SkinAttachInstance() {
    static InMemoryLibrary instance;
    return instance;
}

InMemoryLibrary& TitleBarInstance() {
    static InMemoryLibrary instance;
    return instance;
}

void RegisterSkinHost() {
    RegisterHostLibrary(kSkinHostLibrary,
                        {{"ZuHost_SetSkinStyle", 0, reinterpret_cast<void*>(&HostSetSkinStyle)},
                         {"ZuHost_SetSkinColor", 0, reinterpret_cast<void*>(&HostSetSkinColor)},
                         {"ZuHost_SetWindowStyle", 0, reinterpret_cast<void*>(&HostSetWindowStyle)}});
}

void LoadSkinLibraries() {
    RegisterSkinHost();
    SkinAttachInstance().LoadFromMemory(SkinLibraryImage());
    TitleBarInstance().LoadFromMemory(SkinLibraryImage());
}

void AttachEmbeddedSkin(std::span<const std::uint8_t> skin, const char* password, int hue,
                        int saturation, int brightness) {
    if (auto attach = ExportOf<AttachResFn>(SkinAttachInstance(), "SkinH_AttachRes"))
        attach(skin.data(), static_cast<std::uint32_t>(skin.size()), password, hue, saturation,
               brightness);
}

void EnableSkinTitleMenuBar(QWidget* window) {
    if (!window) return;
    if (auto setTitle = ExportOf<SetTitleMenuBarFn>(TitleBarInstance(), "SkinH_SetTitleMenuBar"))
        setTitle(SkinWindowHandle(window), 1, 0, 0, 0);
}

void AttachSkin(QWidget* window) {
    AttachEmbeddedSkin(SkinData(), nullptr, 0, 0, 0);
    EnableSkinTitleMenuBar(window);
}

std::uint64_t SkinWindowHandle(QWidget* window) {
    if (!window) return 0;
    const QVariant known = window->property(kHandleProperty);
    if (known.isValid()) return known.toULongLong();
    static std::uint64_t next = 0x100;
    const std::uint64_t handle = next++;
    window->setProperty(kHandleProperty, QVariant::fromValue<qulonglong>(handle));
    Windows().insert(handle, window);
    return handle;
}

QWidget* SkinWindowFromHandle(std::uint64_t handle) {
    auto it = Windows().find(handle);
    return it == Windows().end() ? nullptr : it->data();
}

}  // namespace zu
