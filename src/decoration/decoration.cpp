// Which picture each button of the main window shows, and when.
#include "decoration/decoration.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QWidget>

#include "decoration/image_button.h"
#include "web/codecs.h"

namespace zu {
namespace {

// A picture of the program's constant data, with its scale-2 form.
ButtonPicture Embedded(const char* name) {
    auto read = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QString base = QStringLiteral(":/zu/pictures/") + QLatin1String(name);
    return {read(base + QStringLiteral(".png")), read(base + QStringLiteral("@2x.png"))};
}

QAbstractButton* Button(QWidget* window, const char* gbkName) {
    return window ? window->findChild<QAbstractButton*>(ToQString(gbkName)) : nullptr;
}

// Two pictures: one for normal and pressed, another for hover and disabled.
void SetPair(QAbstractButton* button, const char* picture, const char* gbkText) {
    if (!button) return;
    const ButtonPicture normal = Embedded(picture);
    const ButtonPicture hover = Embedded((std::string(picture) + "_hover").c_str());
    SetupImageButton(button, normal, hover, normal, hover);
    button->setAccessibleName(ToQString(gbkText));
}

// One picture for all four states.
void SetSingle(QAbstractButton* button, const char* picture, const char* gbkText) {
    if (!button) return;
    const ButtonPicture p = Embedded(picture);
    SetupImageButton(button, p, p, p, p);
    button->setAccessibleName(ToQString(gbkText));
}

struct Entry {
    const char* button;  // stored name, GBK
    const char* picture;
    const char* text;    // what the picture shows, GBK
};

const Entry kToolbar[] = {
    {"按钮9", "tb_home", "主窗口"},         {"按钮8", "tb_baby", "宝宝取名"},
    {"按钮10", "tb_parent", "亲子取名"},  {"按钮5", "tb_generation", "辈分取名"},
    {"按钮1", "tb_score", "姓名评分"},    {"按钮4", "tb_company", "公司取名"},
    {"按钮12", "tb_settings", "设置"},
};

const Entry kSettings[] = {
    {"按钮21", "set_default", "默认设置"},
    {"按钮22", "set_ok", "确认"},
    {"按钮23", "set_cancel", "取消"},
};

const Entry kBadges[] = {
    {"按钮24", "ribbon", "V1.0"},   {"按钮19", "badge_jian", "荐"},
    {"按钮18", "badge_xin", "新"},  {"按钮27", "badge_xin", "新"},
    {"按钮13", "badge_hot", "热"},
};

}  // namespace

void SetupWindowImageButtons(QWidget* window) {
    for (const Entry& e : kToolbar) SetPair(Button(window, e.button), e.picture, e.text);
    for (const Entry& e : kSettings) SetPair(Button(window, e.button), e.picture, e.text);
    for (const Entry& e : kBadges) {
        QAbstractButton* badge = Button(window, e.button);
        SetSingle(badge, e.picture, e.text);
        // Badges have no action and lie over the toolbar: clicks go through
        // to the page buttons beneath them.
        if (badge) badge->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    // The help panel is closed right after this step.
    SetHelpToggleImages(window, false);
}

void SetHelpToggleImages(QWidget* window, bool panelOpen) {
    SetPair(Button(window, "按钮11"), panelOpen ? "help_open" : "help_closed",
            panelOpen ? "收起帮助" : "展开帮助");
}

void SetVoiceStatusImage(QWidget* window, bool available) {
    SetSingle(Button(window, "按钮26"), available ? "voice_ok" : "voice_missing",
              available ? "语音支持库已安装" : "语音支持库未安装");
}

void InstallChineseQtTexts() {
    static bool installed = false;
    if (installed) return;
    auto* texts = new QTranslator(QCoreApplication::instance());
    installed = texts->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
                QCoreApplication::installTranslator(texts);
    if (!installed) delete texts;  // Qt's own English texts stay
}

}  // namespace zu
