// The main window as a user and a screen reader meet it: every control of every
// page with its kind, caption, items and place; page switching from the
// toolbar; the help panel; the links. One window, built and put through the
// window-created step once, serves every case (a second window-created step
// in one process would be a second copy of the program).
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>
#include <filesystem>
#include <memory>

#include "app/controls.h"
#include "app/layout.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "decoration/decoration.h"
#include "settings/config.h"
#include "settings/paths.h"
#include "web/codecs.h"

using zu::ToQString;

namespace {

QString Q(const char* gbk) { return ToQString(gbk); }

QStringList Q(std::initializer_list<const char*> gbk) {
    QStringList out;
    for (const char* s : gbk) out << ToQString(s);
    return out;
}

// Records the addresses the window hands to the user's browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    QTemporaryDir home_;
    std::unique_ptr<zu::MainWindow> window_;

    QWidget* W(const char* gbkName) const { return zu::Control(window_.get(), gbkName); }
    QTabWidget* Pages() const { return zu::Control<QTabWidget>(window_.get(), "选择夹1"); }
    // Where a control stands in the window's client area (below the menu bar).
    QPoint WindowPlace(QWidget* w) const { return w->mapTo(window_->centralWidget(), QPoint(0, 0)); }
    // The page a control lies on, or -1 for the window's own controls.
    int PageOf(QWidget* w) const {
        for (QWidget* p = w; p; p = p->parentWidget()) {
            const int index = Pages()->indexOf(p);
            if (index >= 0) return index;
        }
        return -1;
    }

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        // Registry, lock and page files of this run stay in a folder of its own.
        qputenv("XDG_CONFIG_HOME", (home_.path() + "/config").toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", home_.path().toLocal8Bit());
        zu::SetRunDirectory(home_.path().toStdString());
        window_ = std::make_unique<zu::MainWindow>();
        zu::WindowCreatedStep(*window_);
        zu::InstallFeatures(*window_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanupTestCase() { window_.reset(); }

    void windowItself() {
        QCOMPARE(window_->windowTitle(), Q("Zu宝宝取名软件V1.0"));
        QCOMPARE(window_->pos(), QPoint(50, 50));
        QCOMPARE(window_->size(), QSize(930, 592));
        QCOMPARE(window_->minimumSize(), window_->maximumSize());
        QCOMPARE(window_->property("tag").toString(), QStringLiteral("1.0"));
        QVERIFY(std::filesystem::is_directory(home_.path().toStdString() + "/temp"));
    }

    void startState() {
        QCOMPARE(Pages()->currentIndex(), 0);
        for (const char* hidden : {"图片框4", "标签1", "图片框7", "标签2", "图片框15", "标签4"})
            QVERIFY2(!W(hidden)->isVisibleTo(window_.get()), qPrintable(Q(hidden)));
        for (const char* overlay : {"标签1", "标签2", "标签4", "图片框4", "图片框7"}) {
            QVERIFY2(W(overlay)->autoFillBackground(), qPrintable(Q(overlay)));
            QCOMPARE(W(overlay)->palette().color(QPalette::Window), QColor(237, 243, 246));
        }
        QCOMPARE(W("透明标签35")->property("text").toString(), zu::MainWindow::HelpPrompt());
        QVERIFY(qobject_cast<zu::AnimationBox*>(W("动画框1"))->running());
        QVERIFY(qobject_cast<zu::AnimationBox*>(W("动画框2"))->running());
        for (const char* pane : {"超文本浏览框1", "超文本浏览框2", "超文本浏览框3", "超文本浏览框4", "超文本浏览框5"}) {
            auto* view = qobject_cast<QWebEngineView*>(W(pane));
            QVERIFY(view);
            // The pane fills its container.
            QVERIFY2(view->parentWidget()->rect().adjusted(1, 1, -1, -1) == view->geometry(), qPrintable(Q(pane)));
        }
    }

    // The question boxes answer in Chinese.
    void qtTextsInChinese() {
        zu::InstallChineseQtTexts();
        QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
        QVERIFY2(box.button(QMessageBox::Yes)->text().startsWith(Q("是")), qPrintable(box.button(QMessageBox::Yes)->text()));
        QVERIFY(box.button(QMessageBox::No)->text().startsWith(Q("否")));
    }

    // Parents name babies born this year or due next year.
    void yearsReachNextYear() {
        const QStringList years = zu::layout::Years();
        QCOMPARE(years.front(), QStringLiteral("1960"));
        QVERIFY(years.contains(QStringLiteral("2020")));
        QCOMPARE(years.back(), QString::number(QDate::currentDate().year() + 1));
        QCOMPARE(years.size(), years.back().toInt() - 1960 + 1);
    }

    void controls_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("page");       // -1: on the window itself
        QTest::addColumn<int>("editable");   // combo boxes: 1 editable, 0 fixed list
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("checked");    // -1: not checkable or set at start-up
        QTest::addColumn<QString>("label");  // the label that names it, if any

        const QStringList none;
        const QStringList years = zu::layout::Years();
        const QStringList months = zu::layout::TwoDigits(1, 12);
        const QStringList days = zu::layout::TwoDigits(1, 31);
        QStringList hours60, hours61;
        for (int h = 0; h < 60; ++h) hours60 << QStringLiteral("%1").arg(h, 2, 10, QChar(u'0'));
        hours61 = hours60;
        hours61 << Q("不清楚");
        const QStringList sexes = Q({"男", "女"});
        const QStringList counts{"50", "100", "200", "300", "400", "500", "1000"};
        const QString results = Q("显示区（默认每组显示50个）【点击名称即可复制】");

        auto row = [](const char* name, const char* kind, int page, int editable, const QString& caption,
                      const QStringList& items, int checked, const QString& label) {
            QTest::newRow(ToQString(name).toUtf8().constData())
                << QString::fromLatin1(kind) << page << editable << caption << items << checked << label;
        };
        auto combo = [&](const char* name, int page, int editable, const QStringList& items, const char* label) {
            row(name, "QComboBox", page, editable, QString(), items, -1, Q(label));
        };
        auto thing = [&](const char* name, const char* kind, int page, const char* caption = "", int checked = -1) {
            row(name, kind, page, -1, Q(caption), {}, checked, QString());
        };

        // The window's own controls.
        thing("选择夹1", "QTabWidget", -1);
        thing("分组框9", "QGroupBox", -1);
        for (const char* b : {"按钮9", "按钮8", "按钮10", "按钮1", "按钮4", "按钮12", "按钮5", "按钮24", "按钮19",
                              "按钮18", "按钮27", "按钮13", "按钮26", "按钮11"})
            thing(b, "QPushButton", -1);
        thing("图片框14", "QLabel", -1);
        thing("超级链接框20", "QLabel", -1);
        thing("画板1", "QWidget", -1);
        thing("透明标签35", "QLabel", -1);
        thing("分组框11", "QGroupBox", -1, "了解项目");

        // Page 0.
        thing("分组框8", "QGroupBox", 0);
        thing("图片框8", "QLabel", 0);

        // Page 1.
        thing("分组框1", "QGroupBox", 1, "操作区");
        combo("组合框1", 1, 1, none, "姓氏:");
        combo("组合框2", 1, 0, years, "年:");
        combo("组合框3", 1, 0, months, "月:");
        combo("组合框4", 1, 0, days, "日:");
        combo("组合框5", 1, 0, hours61, "时:");
        combo("组合框6", 1, 0, sexes, "性别:");
        combo("组合框22", 1, 1, counts, "你要取名的数量：");
        thing("单选框1", "QRadioButton", 1, "两字模式");
        thing("单选框2", "QRadioButton", 1, "三字模式");
        thing("按钮2", "QPushButton", 1, "开始起名");
        row("分组框2", "QGroupBox", 1, -1, results, {}, -1, QString());
        thing("图片框3", "QLabel", 1);
        thing("超文本浏览框1", "QWebEngineView", 1);
        thing("图片框4", "QLabel", 1);
        thing("标签1", "QLabel", 1);
        thing("进度条1", "QProgressBar", 1);

        // Page 2.
        thing("分组框3", "QGroupBox", 2, "操作区");
        combo("组合框19", 2, 1, none, "姓氏:");
        thing("分组框4", "QGroupBox", 2, "爸爸妈妈(不需要带姓)");
        combo("组合框20", 2, 1, none, "爸爸名：");
        combo("组合框21", 2, 1, none, "妈咪名：");
        thing("选择框2", "QCheckBox", 2);
        thing("选择框3", "QCheckBox", 2);
        thing("分组框7", "QGroupBox", 2, "宝宝信息");
        combo("组合框18", 2, 0, years, "年:");
        combo("组合框17", 2, 0, months, "月:");
        combo("组合框16", 2, 0, days, "日:");
        combo("组合框15", 2, 0, hours60, "时:");
        combo("组合框14", 2, 0, sexes, "性别:");
        combo("组合框23", 2, 1, counts, "你要取名的数量：");
        thing("单选框3", "QRadioButton", 2, "两字模式");
        thing("单选框4", "QRadioButton", 2, "三字模式");
        thing("按钮7", "QPushButton", 2, "亲子起名");
        thing("图片框6", "QLabel", 2);
        thing("超文本浏览框2", "QWebEngineView", 2);
        thing("图片框7", "QLabel", 2);
        thing("标签2", "QLabel", 2);
        thing("进度条2", "QProgressBar", 2);
        thing("动画框1", "QWidget", 2);
        thing("动画框2", "QWidget", 2);

        // Page 3.
        thing("分组框10", "QGroupBox", 3);
        thing("分组框12", "QGroupBox", 3, "常规设置");
        thing("选择框1", "QCheckBox", 3, "声音开关（如果关闭本项，会导致本软件所有语音失效）");
        thing("选择框4", "QCheckBox", 3, "启动软件时播放欢迎言语", 1);
        thing("选择框5", "QCheckBox", 3, "自动检测版本更新", 1);
        thing("选择框7", "QCheckBox", 3, "开启亲自取名功能", 1);
        thing("按钮21", "QPushButton", 3, "默认设置");
        thing("按钮22", "QPushButton", 3, "确认");
        thing("按钮23", "QPushButton", 3, "取消");

        // Page 4.
        thing("分组框5", "QGroupBox", 4);
        thing("透明标签9", "QLabel", 4, "姓名：");
        combo("组合框7", 4, 1, none, "姓名：");
        thing("按钮3", "QPushButton", 4, "开始评分");
        thing("图片框1", "QLabel", 4);
        thing("超文本浏览框3", "QWebEngineView", 4);

        // Page 5.
        thing("分组框6", "QGroupBox", 5);
        thing("单选框5", "QRadioButton", 5, "2个字的公司起名", 0);
        thing("单选框6", "QRadioButton", 5, "3个字的公司起名", 0);
        thing("按钮6", "QPushButton", 5, "开始取名");
        thing("图片框2", "QLabel", 5);
        thing("图片框17", "QLabel", 5);
        thing("超文本浏览框4", "QWebEngineView", 5);
        thing("进度条4", "QProgressBar", 5);

        // Page 7.
        thing("分组框14", "QGroupBox", 7, "操作区");
        combo("组合框24", 7, 1, none, "姓氏:");
        combo("组合框25", 7, 1, none, "辈分:");
        combo("组合框13", 7, 0, years, "年:");
        combo("组合框12", 7, 0, months, "月:");
        combo("组合框11", 7, 0, days, "日:");
        combo("组合框10", 7, 0, hours61, "时:");
        combo("组合框9", 7, 0, sexes, "性别:");
        combo("组合框8", 7, 1, counts, "你要取名的数量：");
        thing("单选框8", "QRadioButton", 7, "两字模式", 1);
        thing("单选框7", "QRadioButton", 7, "三字模式", 0);
        thing("按钮28", "QPushButton", 7, "开始起名");
        row("分组框13", "QGroupBox", 7, -1, results, {}, -1, QString());
        thing("图片框16", "QLabel", 7);
        thing("超文本浏览框5", "QWebEngineView", 7);
        thing("图片框15", "QLabel", 7);
        thing("标签4", "QLabel", 7);
        thing("进度条3", "QProgressBar", 7);
    }

    void controls() {
        QFETCH(QString, kind);
        QFETCH(int, page);
        QFETCH(int, editable);
        QFETCH(QString, caption);
        QFETCH(QStringList, items);
        QFETCH(int, checked);
        QFETCH(QString, label);
        const QString name = QString::fromUtf8(QTest::currentDataTag());

        const QList<QWidget*> found = window_->findChildren<QWidget*>(name);
        QCOMPARE(found.size(), 1);  // stored names are unique
        QWidget* w = found.front();
        QVERIFY2(w->inherits(kind.toLatin1().constData()), w->metaObject()->className());
        QCOMPARE(PageOf(w), page);
        QVERIFY2(!w->accessibleName().isEmpty(), "a screen reader has nothing to read");

        if (auto* box = qobject_cast<QComboBox*>(w)) {
            QCOMPARE(int(box->isEditable()), editable);
            QStringList actual;
            for (int i = 0; i < box->count(); ++i) actual << box->itemText(i);
            QCOMPARE(actual, items);
            if (!editable) QVERIFY(box->currentIndex() >= 0);  // a fixed list always shows an item
        }
        if (auto* button = qobject_cast<QAbstractButton*>(w)) QCOMPARE(button->text(), caption);
        if (auto* group = qobject_cast<QGroupBox*>(w)) QCOMPARE(group->title(), caption);
        if (auto* text = qobject_cast<QLabel*>(w); text && !caption.isEmpty()) QCOMPARE(text->text(), caption);
        if (checked >= 0) {
            auto* button = qobject_cast<QAbstractButton*>(w);
            QVERIFY(button && button->isCheckable());
            QCOMPARE(int(button->isChecked()), checked);
        }
        if (!label.isEmpty()) {
            QLabel* named = nullptr;
            for (QLabel* l : window_->findChildren<QLabel*>())
                if (l->buddy() == w) named = l;
            QVERIFY2(named, "no label names this box");
            QCOMPARE(named->text(), label);
            QVERIFY(!named->isHidden());
        }
    }

    // The places and sizes that the layout fixes, in window pixels.
    void places_data() {
        QTest::addColumn<QRect>("place");
        auto row = [](const char* name, QRect place) {
            QTest::newRow(ToQString(name).toUtf8().constData()) << place;
        };
        row("分组框9", QRect(40, 18, 832, 72));
        row("选择夹1", QRect(8, 30, 907, 530));
        row("图片框14", QRect(717, 0, 156, 20));
        row("按钮5", QRect(402, 23, 60, 60));
        row("按钮24", QRect(-2, -4, 112, 112));
        row("按钮19", QRect(216, 24, 44, 46));
        row("按钮18", QRect(333, 24, 44, 46));
        row("按钮27", QRect(446, 24, 44, 46));
        row("按钮13", QRect(322, 0, 20, 20));
        row("画板1", QRect(909, 144, 96, 242));  // closed by the window-created step
        row("透明标签35", QRect(909 + 1, 144 + 7, 13, 231));
        row("按钮11", QRect(909 + 1, 144 + 109, 16, 28));
    }

    void places() {
        QFETCH(QRect, place);
        QWidget* w = window_->findChild<QWidget*>(QString::fromUtf8(QTest::currentDataTag()));
        QVERIFY(w);
        QCOMPARE(QRect(WindowPlace(w), w->size()), place);
    }

    void sizes_data() {
        QTest::addColumn<QSize>("size");
        auto row = [](const char* name, QSize size) { QTest::newRow(ToQString(name).toUtf8().constData()) << size; };
        for (const char* b : {"按钮1", "按钮4", "按钮5", "按钮9"}) row(b, QSize(60, 60));
        for (const char* b : {"按钮8", "按钮12"}) row(b, QSize(64, 56));
        row("按钮21", QSize(90, 22));
        row("按钮22", QSize(60, 22));
        row("按钮23", QSize(60, 22));
        row("按钮26", QSize(15, 15));
        for (const char* box : {"图片框4", "图片框7", "图片框15"}) row(box, QSize(210, 15));
        for (const char* label : {"标签1", "标签2", "标签4"}) row(label, QSize(88, 24));
    }

    void sizes() {
        QFETCH(QSize, size);
        QWidget* w = window_->findChild<QWidget*>(QString::fromUtf8(QTest::currentDataTag()));
        QVERIFY(w);
        QCOMPARE(w->size(), size);
    }

    // Everything inside the window stays inside it, and the toolbar buttons
    // stand left to right in their order.
    void arrangement() {
        const QRect area = window_->centralWidget()->rect();
        for (const char* name : {"选择夹1", "分组框9", "图片框14", "按钮11", "透明标签35"}) {
            QWidget* w = W(name);
            QVERIFY2(area.contains(QRect(WindowPlace(w), w->size())), qPrintable(Q(name)));
        }
        int lastRight = 0;
        for (const char* name : {"按钮9", "按钮8", "按钮10", "按钮5", "按钮1", "按钮4", "按钮12"}) {
            QWidget* w = W(name);
            QVERIFY2(WindowPlace(w).x() >= lastRight, qPrintable(Q(name)));
            lastRight = WindowPlace(w).x() + w->width();
            QVERIFY2(QRect(WindowPlace(W("分组框9")), W("分组框9")->size()).contains(QRect(WindowPlace(w), w->size())),
                     qPrintable(Q(name)));
        }
        // Every control of a page lies inside the page.
        for (int i = 0; i < Pages()->count(); ++i) {
            Pages()->setCurrentIndex(i);
            QWidget* page = Pages()->widget(i);
            QCOMPARE(page->size(), QSize(907, 530));
            for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                QVERIFY2(page->rect().contains(child->geometry()), qPrintable(child->objectName()));
            }
        }
        // The settings buttons sit at the bottom right in their order.
        QVERIFY(WindowPlace(W("按钮21")).x() < WindowPlace(W("按钮22")).x());
        QVERIFY(WindowPlace(W("按钮22")).x() < WindowPlace(W("按钮23")).x());
        QVERIFY(WindowPlace(W("按钮23")).y() > WindowPlace(W("分组框12")).y() + W("分组框12")->height());
    }

    void pageCaptions() {
        const QStringList captions =
            Q({"主窗口", "宝宝取名", "亲子名", "设置中心", "姓名评分", "公司取名", "公司名测试", "辈分取名"});
        QCOMPARE(Pages()->count(), captions.size());
        for (int i = 0; i < captions.size(); ++i) QCOMPARE(Pages()->tabText(i), captions[i]);
        QVERIFY(Pages()->widget(6)->children().isEmpty());  // page 6 has no content
    }

    void accessibleNames() {
        for (QWidget* w : window_->findChildren<QWidget*>()) {
            const QString name = w->objectName();
            if (name.isEmpty() || name.startsWith(u"qt_")) continue;  // Qt's own inner parts
            if (!w->accessibleName().isEmpty()) continue;
            QFAIL(qPrintable(QStringLiteral("no accessible name: ") + name));
        }
        const QStringList toolbar = Q({"主窗口", "宝宝取名", "亲子取名", "辈分取名", "姓名评分", "公司取名", "设置"});
        const char* const buttons[] = {"按钮9", "按钮8", "按钮10", "按钮5", "按钮1", "按钮4", "按钮12"};
        for (int i = 0; i < 7; ++i) QCOMPARE(W(buttons[i])->accessibleName(), toolbar[i]);
        QCOMPARE(W("按钮19")->accessibleName(), Q("荐"));
        QCOMPARE(W("按钮18")->accessibleName(), Q("新"));
        QCOMPARE(W("按钮27")->accessibleName(), Q("新"));
        QCOMPARE(W("组合框1")->accessibleName(), Q("姓氏"));
    }

    void menus() {
        QStringList titles;
        QList<QStringList> items;
        for (QAction* menu : window_->menuBar()->actions()) {
            titles << menu->text();
            QStringList entries;
            for (QAction* a : menu->menu()->actions()) entries << a->text();
            items << entries;
        }
        QCOMPARE(titles, Q({"帮助", "关于"}));
        QCOMPARE(items[0], Q({"使用帮助", "检测更新"}));
        QCOMPARE(items[1], Q({"软件版权"}));
    }

    void helpLinks() {
        QStringList captions;
        for (QLabel* link : W("分组框11")->findChildren<zu::LinkLabel*>()) captions << link->text();
        captions.sort();
        QStringList expected = Q({"软件帮助", "版权声明", "点击留言", "提交BUG", "赠送礼品", "检测升级", "进入官方"});
        expected.sort();
        QCOMPARE(captions, expected);
    }

    // "进入官方" hands the product's address to the user's browser.
    void productSiteLink_data() {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("opened");  // empty: nothing is opened
        QTest::newRow("full address") << "http://127.0.0.1:9/zu/" << "http://127.0.0.1:9/zu/";
        QTest::newRow("as displayed, without scheme") << "127.0.0.1:9/zu" << "http://127.0.0.1:9/zu";
        QTest::newRow("not configured") << "" << "";
        QTest::newRow("blank") << "   " << "";
    }

    void productSiteLink() {
        QFETCH(QString, configured);
        QFETCH(QString, opened);
        zu::ServiceConfig config = zu::Config();
        config.productSite = zu::ToGbk(configured);
        zu::SetConfig(config);
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
        auto* link = window_->findChild<zu::LinkLabel*>(QStringLiteral("helpLinkSite"));
        QVERIFY(link);
        QCOMPARE(link->text(), Q("进入官方"));
        emit link->clicked();
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        if (opened.isEmpty()) {
            QVERIFY(recorder.opened.isEmpty());
        } else {
            QCOMPARE(recorder.opened.size(), 1);
            QCOMPARE(recorder.opened.front(), QUrl(opened));
        }
    }

    void pageButtons_data() {
        QTest::addColumn<int>("page");
        const struct { const char* button; int page; } buttons[] = {
            {"按钮8", 1}, {"按钮10", 2}, {"按钮12", 3}, {"按钮1", 4}, {"按钮4", 5}, {"按钮5", 7}, {"按钮9", 0}};
        for (const auto& b : buttons) QTest::newRow(ToQString(b.button).toUtf8().constData()) << b.page;
    }

    void pageButtons() {
        QFETCH(int, page);
        Pages()->setCurrentIndex(6);
        auto* button = window_->findChild<QPushButton*>(QString::fromUtf8(QTest::currentDataTag()));
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(Pages()->currentIndex(), page);
        QVERIFY(Pages()->widget(page)->isVisible());
    }

    // No button of the window shows page 6, and a badge never swallows the
    // click meant for the page button under it.
    void toolbarReach() {
        QSet<int> reached;
        for (QPushButton* button : window_->findChildren<QPushButton*>()) {
            if (PageOf(button) >= 0 || !button->isEnabled()) continue;
            if (button == W("按钮11")) continue;  // the help panel's toggle
            Pages()->setCurrentIndex(0);
            QTest::mouseClick(button, Qt::LeftButton);
            reached << Pages()->currentIndex();
        }
        QCOMPARE(reached, (QSet<int>{0, 1, 2, 3, 4, 5, 7}));

        const struct { const char* badge; const char* under; } overlaps[] = {
            {"按钮19", "按钮8"}, {"按钮18", "按钮10"}, {"按钮27", "按钮5"}};
        for (const auto& o : overlaps) {
            QWidget* under = W(o.under);
            const QRect badge(WindowPlace(W(o.badge)), W(o.badge)->size());
            const QRect button(WindowPlace(under), under->size());
            const QRect shared = badge.intersected(button);
            QVERIFY2(!shared.isEmpty(), qPrintable(Q(o.badge)));
            QCOMPARE(window_->centralWidget()->childAt(shared.center()), under);
        }
    }

    // A page keeps its inputs when the user moves away and back.
    void pagesKeepInputs() {
        QTest::mouseClick(W("按钮8"), Qt::LeftButton);
        auto* surname = zu::Control<QComboBox>(window_.get(), "组合框1");
        surname->setEditText(Q("欧阳"));
        QTest::mouseClick(W("按钮5"), Qt::LeftButton);
        QTest::mouseClick(W("按钮8"), Qt::LeftButton);
        QCOMPARE(surname->currentText(), Q("欧阳"));
        surname->setEditText(QString());
    }

    void helpPanelToggle() {
        QWidget* panel = W("画板1");
        auto* prompt = zu::Control<QLabel>(window_.get(), "透明标签35");
        QCOMPARE(panel->x(), 909);
        QTest::mouseClick(W("按钮11"), Qt::LeftButton);
        QCOMPARE(panel->x(), 828);
        QCOMPARE(prompt->text(), QString());
        QVERIFY(W("分组框11")->visibleRegion().boundingRect().width() > 60);  // the links are in view
        QTest::mouseClick(W("按钮11"), Qt::LeftButton);
        QCOMPARE(panel->x(), 909);
        QCOMPARE(prompt->text(), zu::MainWindow::HelpPrompt());
        // Closed, the prompt strip and the toggle stay in view at the right edge.
        QVERIFY(WindowPlace(W("按钮11")).x() + W("按钮11")->width() <= window_->centralWidget()->width());
        // Moved away by hand, the panel counts as closed and the toggle opens it.
        panel->move(700, panel->y());
        QTest::mouseClick(W("按钮11"), Qt::LeftButton);
        QCOMPARE(panel->x(), 828);
        QTest::mouseClick(W("按钮11"), Qt::LeftButton);
        QCOMPARE(panel->x(), 909);
    }
};

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
