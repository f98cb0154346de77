#include "app/main_window.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>

#include "app/controls.h"
#include "app/layout.h"
#include "app/pages.h"
#include "app/platform/process.h"
#include "app/update/update_check.h"
#include "app/update/version.h"
#include "decoration/decoration.h"
#include "naming/pane.h"
#include "settings/config.h"
#include "speech/voice_check.h"
#include "web/codecs.h"

namespace zu {

using namespace zu::layout;

namespace {

// Page buttons of the toolbar, left to right, with the page each one shows.
// "按钮5" stands on the window itself between the others; all the rest are
// inside the toolbar group box. Places are window pixels.
struct PageButton {
    const char* name;
    const char* pictureText;
    int page;
    QRect place;
};
constexpr int kToolbarLeft = 40, kToolbarTop = 18;
const PageButton kPageButtons[] = {
    {"按钮9", "主窗口", 0, QRect(70, 23, 60, 60)},
    {"按钮8", "宝宝取名", 1, QRect(172, 26, 64, 56)},
    {"按钮10", "亲子取名", 2, QRect(277, 19, 80, 70)},
    {"按钮5", "辈分取名", 7, QRect(402, 23, 60, 60)},
    {"按钮1", "姓名评分", 4, QRect(512, 23, 60, 60)},
    {"按钮4", "公司取名", 5, QRect(622, 23, 60, 60)},
    {"按钮12", "设置", 3, QRect(732, 26, 64, 56)},
};

void OpenProductSite() {
    const QString site = ToQString(Config().productSite).trimmed();
    if (site.isEmpty()) return;
    const QUrl address = QUrl::fromUserInput(site);
    if (address.isValid()) QDesktopServices::openUrl(address);
}

}  // namespace

QString MainWindow::HelpPrompt() {
    return ToQString(
        "有\r\n什\r\n么\r\n可\r\n以\r\n帮\r\n您\r\n的\r\n\r\n\r\n\r\n点\r\n击\r\n这\r\n里\r\n了\r\n解\r\n更\r\n多");
}

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    naming::UseChinesePageLanguage();  // before the first pane is made
    setWindowTitle(ToQString("Zu宝宝取名软件V1.0"));
    setProperty("tag", QString::fromLatin1(kVersionTag.data(), kVersionTag.size()));
    move(50, 50);
    setFixedSize(930, 592);
    BuildMenus();
    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("windowArea"));
    area->setAccessibleName(windowTitle());
    area->setAutoFillBackground(true);
    QPalette palette = area->palette();
    palette.setColor(QPalette::Window, QColor(0xdc, 0xe8, 0xf1));
    area->setPalette(palette);
    setCentralWidget(area);
    BuildWindowArea(area);
    ConnectWindowActions();
}

void MainWindow::BuildMenus() {
    QMenu* help = menuBar()->addMenu(ToQString("帮助"));
    help->addAction(ToQString("使用帮助"))->setObjectName(QStringLiteral("menuUsageHelp"));
    QAction* update = help->addAction(ToQString("检测更新"));
    update->setObjectName(QStringLiteral("menuCheckUpdate"));
    connect(update, &QAction::triggered, this, [] { CheckForUpdate(false); });
    QMenu* about = menuBar()->addMenu(ToQString("关于"));
    about->addAction(ToQString("软件版权"))->setObjectName(QStringLiteral("menuCopyright"));
}

void MainWindow::BuildWindowArea(QWidget* area) {
    // The page control; the toolbar moves between its pages, so its own tab
    // strip is hidden and the pages fill the whole control.
    auto* pages = new QTabWidget(area);
    pages->setObjectName(ToQString("选择夹1"));
    pages->setAccessibleName(ToQString("页面"));
    pages->setGeometry(8, 30, 907, 530);
    pages->setDocumentMode(true);
    pages->tabBar()->hide();
    BuildPages(pages);

    QGroupBox* toolbar = Group(area, "分组框9", QRect(kToolbarLeft, kToolbarTop, 832, 72), "");
    toolbar->setAccessibleName(ToQString("工具栏"));
    toolbar->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid #a9c4db; border-radius: 8px; margin: 0px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e3eef7); }"));
    for (const PageButton& b : kPageButtons) {
        const bool onWindow = std::string_view(b.name) == "按钮5";
        QWidget* parent = onWindow ? area : static_cast<QWidget*>(toolbar);
        const QRect place = onWindow ? b.place : b.place.translated(-kToolbarLeft, -kToolbarTop);
        Picture(parent, b.name, place, PictureButton::Look::Tile, b.pictureText);
    }

    // Badges over the toolbar and the top edge: pictures only, no action.
    Picture(area, "按钮24", QRect(-2, -4, 112, 112), PictureButton::Look::Ribbon, "免费版");
    Picture(area, "按钮19", QRect(216, 24, 44, 46), PictureButton::Look::Badge, "荐");
    Picture(area, "按钮18", QRect(333, 24, 44, 46), PictureButton::Look::Badge, "新");
    Picture(area, "按钮27", QRect(446, 24, 44, 46), PictureButton::Look::Badge, "新");
    Picture(area, "按钮13", QRect(322, 0, 20, 20), PictureButton::Look::Badge, "热");

    // The voice status corner; the voice check fills both parts.
    QLabel* corner = PictureBox(area, "图片框14", QRect(717, 0, 156, 20), "语音状态");
    Picture(corner, "按钮26", QRect(1, 2, 15, 15), PictureButton::Look::Dot, "语音状态图标");
    LinkLabel* status = Link(corner, "超级链接框20", QRect(19, 0, 137, 20), "");
    status->setAccessibleName(ToQString("语音支持库状态"));
    status->setToolTip(ToQString("点击重新检测语音支持库"));

    // The help panel, laid out open; the window-created step closes it.
    auto* panel = new QFrame(area);
    panel->setObjectName(ToQString("画板1"));
    panel->setAccessibleName(ToQString("帮助面板"));
    panel->setGeometry(kHelpPanelOpenLeft, 144, kHelpPanelWidth, 242);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, QColor(0xf7, 0xfa, 0xfc));
    panel->setPalette(palette);
    auto* prompt = new VerticalPromptLabel(panel);
    prompt->setObjectName(ToQString("透明标签35"));
    prompt->setGeometry(1, 7, 13, 231);
    prompt->setText(HelpPrompt());
    prompt->setAccessibleName(ToQString("有什么可以帮您的 点击这里了解更多"));
    Picture(panel, "按钮11", QRect(1, 109, 16, 28), PictureButton::Look::Arrow, "帮助面板开关")
        ->setFocusPolicy(Qt::TabFocus);
    QGroupBox* project = Group(panel, "分组框11", QRect(18, 2, 76, 238), "了解项目");
    const struct {
        const char* objectName;
        const char* caption;
    } links[] = {
        {"helpLinkUsage", "软件帮助"},     {"helpLinkUpdate", "检测升级"}, {"helpLinkSite", "进入官方"},
        {"helpLinkCopyright", "版权声明"}, {"helpLinkMessage", "点击留言"}, {"helpLinkBug", "提交BUG"},
        {"helpLinkGift", "赠送礼品"},
    };
    int y = 26;
    for (const auto& l : links) {
        LinkLabel* link = Link(project, "", QRect(10, y, 60, 22), l.caption);
        link->setObjectName(QString::fromLatin1(l.objectName));
        y += 29;
    }
}

void MainWindow::BuildPages(QTabWidget* pages) {
    const char* const captions[] = {"主窗口", "宝宝取名", "亲子名", "设置中心", "姓名评分", "公司取名", "公司名测试", "辈分取名"};
    void (*const builders[])(QWidget*) = {pages::BuildHomePage,     pages::BuildBabyNamingPage,
                                          pages::BuildParentChildPage, pages::BuildSettingsPage,
                                          pages::BuildScoringPage,  pages::BuildCompanyPage,
                                          nullptr,                  pages::BuildGenerationPage};
    for (int i = 0; i < 8; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("page%1").arg(i));
        page->setAutoFillBackground(true);
        QPalette palette = page->palette();
        palette.setColor(QPalette::Window, PageColour());
        page->setPalette(palette);
        pages->addTab(page, ToQString(captions[i]));
        page->setAccessibleName(pages->tabText(i));
        if (builders[i]) builders[i](page);
    }
    pages->setCurrentIndex(0);
}

void MainWindow::ConnectWindowActions() {
    for (const PageButton& b : kPageButtons) {
        const int page = b.page;
        connect(Control<QPushButton>(this, b.name), &QPushButton::clicked, this,
                [this, page] { SelectPage(page); });
    }
    connect(Control<QPushButton>(this, "按钮11"), &QPushButton::clicked, this, &MainWindow::ToggleHelpPanel);
    connect(Control<LinkLabel>(this, "超级链接框20"), &LinkLabel::clicked, this,
            [this] { CheckVoiceSupport(this); });
    connect(findChild<LinkLabel*>(QStringLiteral("helpLinkUpdate")), &LinkLabel::clicked, this,
            [] { CheckForUpdate(false); });
    connect(findChild<LinkLabel*>(QStringLiteral("helpLinkSite")), &LinkLabel::clicked, this, &OpenProductSite);
}

void MainWindow::SelectPage(int index) {
    Control<QTabWidget>(this, "选择夹1")->setCurrentIndex(index);
}

void MainWindow::CloseHelpPanel() {
    QWidget* panel = Control(this, "画板1");
    // left + width - 15, computed in floating point and stored as a pixel.
    panel->move(static_cast<int>(double(panel->x()) + double(panel->width()) - 15.0), panel->y());
}

void MainWindow::ToggleHelpPanel() {
    QWidget* panel = Control(this, "画板1");
    auto* prompt = Control<QLabel>(this, "透明标签35");
    if (panel->x() == kHelpPanelOpenLeft) {
        prompt->setText(HelpPrompt());
        CloseHelpPanel();
        SetHelpToggleImages(this, false);
    } else {
        prompt->setText(QString());
        panel->move(kHelpPanelOpenLeft, panel->y());
        SetHelpToggleImages(this, true);
    }
    Control(this, "按钮11")->update();
}

void MainWindow::StartDecorativeAnimation() {
    Control<AnimationBox>(this, "动画框1")->Start();
    Control<AnimationBox>(this, "动画框2")->Start();
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) NoteActivation();
    return QMainWindow::event(event);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    activateWindow();
    // Platforms without a window system never activate a window; there the
    // first show counts as the first activation.
    const QString platform = QGuiApplication::platformName();
    if (platform == u"offscreen" || platform == u"minimal") {
        QTimer::singleShot(0, this, [this] { NoteActivation(); });
    }
}

void MainWindow::NoteActivation() {
    if (activated_) return;
    activated_ = true;
    // Run the step after the activation has been delivered, not inside it.
    QMetaObject::invokeMethod(this, &MainWindow::firstActivated, Qt::QueuedConnection);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing ends this process at once with exit code 0; nothing is saved
    // here because every value is saved when it changes.
    event->ignore();
    EndOwnProcess();
}

}  // namespace zu
