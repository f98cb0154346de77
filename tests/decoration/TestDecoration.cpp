// The main window's skin and picture buttons on a small window of the test's
// own that carries the stored control names.
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "decoration/decoration.h"
#include "decoration/image_button.h"
#include "decoration/skin.h"
#include "decoration/skin_data.h"
#include "web/codecs.h"

namespace {

struct ButtonCase {
    const char* name;  // GBK
    QSize size;        // the button's size as laid out
    const char* text;  // GBK: what its picture shows
    const char* picture;
    QSize pictureSize;
};

const ButtonCase kButtons[] = {
    {"按钮9", {60, 60}, "主窗口", "tb_home", {60, 60}},
    {"按钮8", {64, 56}, "宝宝取名", "tb_baby", {64, 56}},
    {"按钮10", {80, 80}, "亲子取名", "tb_parent", {80, 80}},
    {"按钮5", {60, 60}, "辈分取名", "tb_generation", {60, 60}},
    {"按钮1", {60, 60}, "姓名评分", "tb_score", {60, 60}},
    {"按钮4", {60, 60}, "公司取名", "tb_company", {60, 60}},
    {"按钮12", {64, 56}, "设置", "tb_settings", {64, 56}},
    {"按钮21", {90, 22}, "默认设置", "set_default", {90, 22}},
    {"按钮22", {60, 22}, "确认", "set_ok", {60, 22}},
    {"按钮23", {60, 22}, "取消", "set_cancel", {60, 22}},
    {"按钮13", {20, 20}, "热", "badge_hot", {20, 20}},
    {"按钮18", {44, 46}, "新", "badge_xin", {44, 46}},
    {"按钮19", {44, 46}, "荐", "badge_jian", {44, 46}},
    {"按钮27", {44, 46}, "新", "badge_xin", {44, 46}},
    {"按钮24", {112, 112}, "V1.0", "ribbon", {112, 112}},
    {"按钮11", {16, 28}, "展开帮助", "help_closed", {11, 21}},
    {"按钮26", {15, 15}, nullptr, "voice_ok", {15, 15}},
};

QPushButton* Find(QWidget* window, const char* gbkName) {
    return window->findChild<QPushButton*>(zu::ToQString(gbkName));
}

// A main window with a menu bar and every picture button, placed apart.
struct Window {
    QMainWindow window;
    Window() {
        window.resize(930, 592);
        window.menuBar()->addMenu(zu::ToQString("帮助"));
        auto* central = new QWidget(&window);
        window.setCentralWidget(central);
        int x = 0;
        for (const ButtonCase& c : kButtons) {
            auto* b = new QPushButton(zu::ToQString(c.name), central);
            b->setObjectName(zu::ToQString(c.name));
            b->setGeometry(x, 10, c.size.width(), c.size.height());
            x += c.size.width() + 4;
        }
        window.show();
    }
};

QImage Shot(QWidget* w) { return w->grab().toImage(); }

}  // namespace

class TestDecoration : public QObject {
    Q_OBJECT
private slots:
    void skinReachesTheWindowThroughBothInstances();
    void brokenOrMissingSkinLeavesThePlainLook();
    void everyButtonGetsItsPicturesOnce();
    void helpToggleAndVoiceIconSwapPictures();
    void picturesHaveTheirLaidOutSizesAtBothScales();
};

void TestDecoration::skinReachesTheWindowThroughBothInstances() {
    Window w;
    zu::LoadSkinLibraries();
    QVERIFY(zu::SkinAttachInstance().BaseAddress());
    QVERIFY(zu::TitleBarInstance().BaseAddress());
    QVERIFY(zu::SkinAttachInstance().BaseAddress() != zu::TitleBarInstance().BaseAddress());
    zu::AttachSkin(&w.window);
    QVERIFY(qApp->styleSheet().contains(QStringLiteral("background: #edf3f6")));
    QCOMPARE(QApplication::palette().color(QPalette::Window), QColor(0xED, 0xF3, 0xF6));
    QCOMPARE(QApplication::palette().color(QPalette::Highlight), QColor(0x3C, 0x8D, 0xC5));
    const QString bar = w.window.menuBar()->styleSheet();
    QVERIFY2(bar.contains(QStringLiteral("QMenuBar { background: #dce8ef")), qPrintable(bar));
    // The skin shows: the window's background is the skin's page colour.
    QCOMPARE(Shot(&w.window).pixelColor(900, 500), QColor(0xED, 0xF3, 0xF6));
    // Handles map back to their window, and not to a window that is gone.
    const auto handle = zu::SkinWindowHandle(&w.window);
    QCOMPARE(zu::SkinWindowHandle(&w.window), handle);
    QCOMPARE(zu::SkinWindowFromHandle(handle), &w.window);
    {
        QWidget gone;
        const auto goneHandle = zu::SkinWindowHandle(&gone);
        QVERIFY(goneHandle != handle);
        zu::EnableSkinTitleMenuBar(&gone);
    }
    QCOMPARE(zu::SkinWindowFromHandle(handle + 1000), nullptr);
    qApp->setStyleSheet(QString());
}

void TestDecoration::brokenOrMissingSkinLeavesThePlainLook() {
    auto image = zu::SkinLibraryImage();
    std::vector<std::uint8_t> broken(image.begin(), image.begin() + image.size() / 2);
    QVERIFY(!zu::SkinAttachInstance().LoadFromMemory(broken));
    zu::TitleBarInstance().Unload();
    QCOMPARE(zu::SkinAttachInstance().FindExport("SkinH_AttachRes"), nullptr);
    Window w;
    qApp->setStyleSheet(QString());
    zu::AttachSkin(&w.window);
    QVERIFY(qApp->styleSheet().isEmpty());
    QVERIFY(w.window.menuBar()->styleSheet().isEmpty());
    // Loading again restores the skin.
    zu::LoadSkinLibraries();
    zu::AttachSkin(&w.window);
    QVERIFY(!qApp->styleSheet().isEmpty());
    qApp->setStyleSheet(QString());
}

void TestDecoration::everyButtonGetsItsPicturesOnce() {
    Window w;
    zu::SetupWindowImageButtons(&w.window);
    zu::SetupWindowImageButtons(&w.window);
    for (const ButtonCase& c : kButtons) {
        QPushButton* b = Find(&w.window, c.name);
        const bool expected = c.text != nullptr;  // the voice icon is set by the voice check
        QCOMPARE(b->property("PngControl_Type").toInt() == 3, expected);
        if (!expected) continue;
        QCOMPARE(b->accessibleName(), zu::ToQString(c.text));
        QCOMPARE(b->findChildren<QObject*>(QStringLiteral("PngControl")).size(), 1);
        // Something of the picture shows over the window's background.
        const QImage shot = Shot(b);
        const QColor background = Shot(&w.window).pixelColor(w.window.width() - 5, w.window.height() - 5);
        bool drawn = false;
        for (int y = 0; y < shot.height() && !drawn; ++y)
            for (int x = 0; x < shot.width() && !drawn; ++x) drawn = shot.pixelColor(x, y) != background;
        QVERIFY2(drawn, c.name);
    }
    // Badges have no action: the page buttons under them take the clicks.
    QVERIFY(Find(&w.window, "按钮18")->testAttribute(Qt::WA_TransparentForMouseEvents));
    QVERIFY(!Find(&w.window, "按钮8")->testAttribute(Qt::WA_TransparentForMouseEvents));
    // A window without those buttons is left alone.
    QWidget empty;
    zu::SetupWindowImageButtons(&empty);
    zu::SetHelpToggleImages(&empty, true);
    zu::SetVoiceStatusImage(&empty, false);
    zu::SetupWindowImageButtons(nullptr);
}

void TestDecoration::helpToggleAndVoiceIconSwapPictures() {
    Window w;
    QPushButton* toggle = Find(&w.window, "按钮11");
    QPushButton* voice = Find(&w.window, "按钮26");
    zu::SetHelpToggleImages(&w.window, true);
    const QImage open = Shot(toggle);
    zu::SetHelpToggleImages(&w.window, false);
    const QImage closed = Shot(toggle);
    QVERIFY(open != closed);
    zu::SetHelpToggleImages(&w.window, true);
    QCOMPARE(Shot(toggle), open);
    QCOMPARE(toggle->findChildren<QObject*>(QStringLiteral("PngControl")).size(), 1);

    zu::SetVoiceStatusImage(&w.window, true);
    const QColor tick = Shot(voice).pixelColor(2, 7);
    zu::SetVoiceStatusImage(&w.window, false);
    const QColor warning = Shot(voice).pixelColor(2, 7);
    QVERIFY2(tick.green() > 150 && tick.red() < 100, qPrintable(tick.name()));
    QVERIFY2(warning.red() > 200 && warning.blue() < 100, qPrintable(warning.name()));
    QCOMPARE(voice->accessibleName(), zu::ToQString("语音支持库未安装"));
}

void TestDecoration::picturesHaveTheirLaidOutSizesAtBothScales() {
    for (const ButtonCase& c : kButtons) {
        for (const QString& suffix : {QString(), QStringLiteral("_hover")}) {
            const QString base = QStringLiteral(":/zu/pictures/") + QLatin1String(c.picture) + suffix;
            if (!QFile::exists(base + ".png")) continue;  // single pictures have no hover form
            QSize expected = c.pictureSize;
            if (QLatin1String(c.picture).startsWith(QLatin1String("help_")) && !suffix.isEmpty())
                expected.rwidth() += 1;  // the help arrows' hover pictures are 12 wide
            QCOMPARE(QImage(base + ".png").size(), expected);
            QCOMPARE(QImage(base + "@2x.png").size(), expected * 2);
        }
    }
    QCOMPARE(QImage(":/zu/pictures/voice_missing.png").size(), QSize(15, 15));
    QCOMPARE(QImage(":/zu/pictures/help_open.png").size(), QSize(11, 21));
    QCOMPARE(QImage(":/zu/pictures/help_open_hover@2x.png").size(), QSize(24, 42));
}

QTEST_MAIN(TestDecoration)
#include "TestDecoration.moc"
