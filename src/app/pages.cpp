#include "app/pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QWebEngineView>

#include "app/layout.h"
#include "web/codecs.h"

namespace zu::pages {

using namespace zu::layout;

namespace {

// Page-local places shared by the pages: content starts below the toolbar and
// stays left of the closed help panel's strip.
constexpr int kTop = 66;
constexpr int kBottom = 522;
constexpr int kLeft = 8;
constexpr int kRight = 898;
constexpr int kRowStep = 34;

constexpr char kResultsCaption[] = "显示区（默认每组显示50个）【点击名称即可复制】";

// The names of one page's result area.
struct ResultNames {
    std::string_view container;     // picture box holding the pane
    std::string_view pane;
    std::string_view overlayBox;    // empty: the page has no busy overlay
    std::string_view overlayLabel;
    std::string_view progress;      // empty: no progress bar under the pane
    std::string_view description;   // what a screen reader calls the pane
};

// The pane fills its container; the busy overlay (a 210 by 15 picture box and
// an 88 by 24 label) sits near the middle above it, hidden until a run works;
// the progress bar runs under the container across its full width.
void ResultArea(QWidget* parent, QRect containerPlace, const ResultNames& names) {
    QLabel* container = PictureBox(parent, names.container, containerPlace, "结果显示区");
    container->setFrameShape(QFrame::StyledPanel);
    Pane(container, names.pane, container->rect().adjusted(1, 1, -1, -1), names.description);
    if (!names.overlayBox.empty()) {
        const int cx = container->width() / 2, cy = container->height() / 2;
        QLabel* box = PictureBox(container, names.overlayBox, QRect(cx - 105, cy - 22, 210, 15), "取名进度");
        QLabel* label = PictureBox(container, names.overlayLabel, QRect(cx - 44, cy - 2, 88, 24), "取名进度");
        label->setAlignment(Qt::AlignCenter);
        // The picture box shows a plain busy stripe (the label carries the figures).
        QPixmap stripe(210, 15);
        stripe.fill(Qt::transparent);
        QPainter p(&stripe);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        for (int i = 0; i < 10; ++i) {
            p.setBrush(QColor(0x4a, 0x90, 0xd9, 60 + i * 19));
            p.drawEllipse(QRectF(8 + i * 20, 3, 9, 9));
        }
        p.end();
        box->setPixmap(stripe);
        box->hide();
        label->hide();
    }
    if (!names.progress.empty()) {
        Progress(parent, names.progress,
                 QRect(containerPlace.left(), containerPlace.bottom() + 7, containerPlace.width(), 18),
                 "取名进度");
    }
}

// The inputs shared by the naming pages 1 and 7, from the year row on.
struct BirthNames {
    std::string_view year, month, day, hour, sex, count;
};

int BirthRows(QWidget* group, int y, const BirthNames& n, const QStringList& hours) {
    constexpr int labelWidth = 108, controlWidth = 112;
    Row(group, y, "年:", FixedList(group, n.year, {}, Years()), labelWidth, controlWidth);
    Row(group, y += kRowStep, "月:", FixedList(group, n.month, {}, TwoDigits(1, 12)), labelWidth, controlWidth);
    Row(group, y += kRowStep, "日:", FixedList(group, n.day, {}, TwoDigits(1, 31)), labelWidth, controlWidth);
    Row(group, y += kRowStep, "时:", FixedList(group, n.hour, {}, hours), labelWidth, controlWidth);
    Row(group, y += kRowStep, "性别:", FixedList(group, n.sex, {}, Sexes()), labelWidth, controlWidth);
    Row(group, y += kRowStep, "你要取名的数量：", EditableList(group, n.count, {}, Counts()), labelWidth,
        controlWidth);
    return y + kRowStep;
}

void ModeRadios(QWidget* group, int y, std::string_view two, std::string_view three, bool twoChecked) {
    Radio(group, two, QRect(28, y, 100, 24), "两字模式", twoChecked);
    Radio(group, three, QRect(134, y, 100, 24), "三字模式", !twoChecked);
}

QFont Sized(QFont f, int pixels, bool bold) {
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// The home page's picture strip: one tile for each naming feature.
QPixmap HomeStrip(QSize size, const QFont& base) {
    QPixmap strip(size);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    const char* const titles[] = {"宝宝取名", "亲子取名", "辈分取名", "姓名评分", "公司取名"};
    const char* const notes[] = {"生辰八字 五行五格", "融入爸爸妈妈的名字", "同辈同字 一脉相承",
                                 "名字好不好 一测便知", "两字三字 公司美名"};
    const QColor tints[] = {QColor(0xf4, 0x8f, 0xb1), QColor(0xff, 0xb7, 0x4d), QColor(0x81, 0xc7, 0x84),
                            QColor(0x64, 0xb5, 0xf6), QColor(0xba, 0x68, 0xc8)};
    constexpr int count = 5, gap = 12;
    const qreal width = (size.width() - gap * (count - 1)) / qreal(count);
    for (int i = 0; i < count; ++i) {
        const QRectF tile(i * (width + gap), 4, width, size.height() - 8);
        QLinearGradient g(tile.topLeft(), tile.bottomLeft());
        g.setColorAt(0, tints[i].lighter(135));
        g.setColorAt(1, tints[i]);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(tile, 10, 10);
        p.setPen(Qt::white);
        p.setFont(Sized(base, 20, true));
        p.drawText(tile.adjusted(0, 14, 0, -tile.height() / 2), Qt::AlignHCenter | Qt::AlignBottom,
                   ToQString(titles[i]));
        p.setFont(Sized(base, 12, false));
        p.drawText(tile.adjusted(0, tile.height() / 2 + 8, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
                   ToQString(notes[i]));
    }
    return strip;
}

}  // namespace

void BuildHomePage(QWidget* page) {
    QGroupBox* home = Group(page, "分组框8", QRect(kLeft, kTop, kRight - kLeft, 330), "");
    home->setAccessibleName(ToQString("温馨简介"));
    QLabel* title = Label(home, "", QRect(20, 18, 850, 34), "2013Zu宝宝取名软件V1.0");
    title->setObjectName(QStringLiteral("homeTitle"));
    title->setFont(Sized(title->font(), 22, true));
    title->setStyleSheet(QStringLiteral("color: #2b4f72;"));
    QLabel* heading = Label(home, "", QRect(20, 60, 850, 24), "温馨简介");
    heading->setObjectName(QStringLiteral("homeHeading"));
    heading->setFont(Sized(heading->font(), 15, true));
    heading->setStyleSheet(QStringLiteral("color: #e5533d;"));
    const char* const paragraphs[] = {
        "独创的基于父母愿望的起名法，深入理解个性化需求；独创的综合五行、生肖、五格的取名法，完美满足传统取名的要求；更有时尚的诗词文化典籍起名；以及全方位的美名解析。",
        "Zu宝宝起名软件是智能起名理念的开创者和领导者，让一个名字尽可能多的满足全方位的信息，使得名字更具文化内涵和时尚元素。可以完美满足出生的时间信息、出生地点信息、五格数理、生肖起名、诗词、成语、《周易》、《诗经》等古典元素。Zu宝宝起名软件就等于一个大的起名百科全书，让您轻松享受起名的过程。有Zu宝宝起名软件在手，起名再也不用到处翻字典、买起名书籍了，只要您会上网，就能轻易的使用我们的起名软件。",
    };
    const QRect places[] = {QRect(20, 90, 850, 64), QRect(20, 160, 850, 156)};
    for (int i = 0; i < 2; ++i) {
        QLabel* text = Label(home, "", places[i], paragraphs[i]);
        text->setObjectName(QStringLiteral("homeIntro%1").arg(i + 1));
        text->setWordWrap(true);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        text->setFont(Sized(text->font(), 14, false));
        text->setStyleSheet(QStringLiteral("color: #33414e; line-height: 150%;"));
        text->setIndent(0);
    }
    QLabel* strip = PictureBox(page, "图片框8", QRect(kLeft, kTop + 338, kRight - kLeft, kBottom - kTop - 338),
                               "宝宝取名 亲子取名 辈分取名 姓名评分 公司取名");
    strip->setPixmap(HomeStrip(strip->size(), strip->font()));
}

void BuildBabyNamingPage(QWidget* page) {
    QGroupBox* inputs = Group(page, "分组框1", QRect(kLeft, kTop, 250, kBottom - kTop), "操作区");
    int y = 30;
    Row(inputs, y, "姓氏:", EditableList(inputs, "组合框1", {}), 108, 112);
    y = BirthRows(inputs, y + kRowStep, {"组合框2", "组合框3", "组合框4", "组合框5", "组合框6", "组合框22"},
                  HoursWithUnknown());
    ModeRadios(inputs, y + 4, "单选框1", "单选框2", true);
    Button(inputs, "按钮2", QRect(40, y + 48, 170, 34), "开始起名");

    QGroupBox* results = Group(page, "分组框2", QRect(266, kTop, kRight - 266, kBottom - kTop), kResultsCaption);
    ResultArea(results, QRect(10, 24, results->width() - 20, results->height() - 60),
               {"图片框3", "超文本浏览框1", "图片框4", "标签1", "进度条1", "宝宝取名结果"});
}

void BuildParentChildPage(QWidget* page) {
    QGroupBox* inputs = Group(page, "分组框3", QRect(kLeft, kTop, 270, kBottom - kTop), "操作区");
    Row(inputs, 26, "姓氏:", EditableList(inputs, "组合框19", {}), 64, 150);

    QGroupBox* parents = Group(inputs, "分组框4", QRect(8, 58, 254, 90), "爸爸妈妈(不需要带姓)");
    Row(parents, 26, "爸爸名：", EditableList(parents, "组合框20", {}), 56, 140);
    Row(parents, 58, "妈咪名：", EditableList(parents, "组合框21", {}), 56, 140);
    Check(parents, "选择框2", QRect(220, 26, 24, 24), "", false)->setAccessibleName(ToQString("用爸爸名"));
    Check(parents, "选择框3", QRect(220, 58, 24, 24), "", false)->setAccessibleName(ToQString("用妈咪名"));

    // The group of the baby's data has no stored name in the layout; it takes
    // the free number of its series.
    QGroupBox* baby = Group(inputs, "分组框7", QRect(8, 156, 254, 244), "宝宝信息");
    constexpr int labelWidth = 108, controlWidth = 120;
    int y = 24;
    Row(baby, y, "年:", FixedList(baby, "组合框18", {}, Years()), labelWidth, controlWidth);
    Row(baby, y += kRowStep - 2, "月:", FixedList(baby, "组合框17", {}, TwoDigits(1, 12)), labelWidth, controlWidth);
    Row(baby, y += kRowStep - 2, "日:", FixedList(baby, "组合框16", {}, TwoDigits(1, 31)), labelWidth, controlWidth);
    Row(baby, y += kRowStep - 2, "时:", FixedList(baby, "组合框15", {}, TwoDigits(0, 59)), labelWidth, controlWidth);
    Row(baby, y += kRowStep - 2, "性别:", FixedList(baby, "组合框14", {}, Sexes()), labelWidth, controlWidth);
    Row(baby, y += kRowStep - 2, "你要取名的数量：", EditableList(baby, "组合框23", {}, Counts()), labelWidth,
        controlWidth);
    ModeRadios(baby, y + kRowStep - 2, "单选框3", "单选框4", true);

    // Two small animations flank the run button.
    const struct { const char* name; int variant; int x; } animations[] = {
        {"动画框1", 1, 12}, {"动画框2", 2, 224}};
    for (const auto& a : animations) {
        auto* box = new AnimationBox(a.variant, inputs);
        box->setObjectName(ToQString(a.name));
        box->setGeometry(a.x, 408, 34, 34);
        box->setAccessibleName(ToQString("装饰动画"));
    }
    Button(inputs, "按钮7", QRect(52, 408, 166, 34), "亲子起名");

    ResultArea(page, QRect(286, kTop + 6, kRight - 286, kBottom - kTop - 38),
               {"图片框6", "超文本浏览框2", "图片框7", "标签2", "进度条2", "亲子取名结果"});
}

void BuildSettingsPage(QWidget* page) {
    QGroupBox* settings = Group(page, "分组框10", QRect(kLeft, kTop, kRight - kLeft, kBottom - kTop), "");
    settings->setAccessibleName(ToQString("设置中心"));
    QGroupBox* general = Group(settings, "分组框12", QRect(20, 20, settings->width() - 40, 200), "常规设置");
    Check(general, "选择框1", QRect(24, 34, 780, 26), "声音开关（如果关闭本项，会导致本软件所有语音失效）", true);
    Check(general, "选择框4", QRect(24, 74, 780, 26), "启动软件时播放欢迎言语", true);
    Check(general, "选择框5", QRect(24, 114, 780, 26), "自动检测版本更新", true);
    Check(general, "选择框7", QRect(24, 154, 780, 26), "开启亲自取名功能", true);
    // The three picture buttons at the bottom right, pictures the size of their places.
    const int y = settings->height() - 40;
    const int right = settings->width() - 20;
    Button(settings, "按钮21", QRect(right - 90 - 8 - 60 - 8 - 60, y, 90, 22), "默认设置");
    Button(settings, "按钮22", QRect(right - 60 - 8 - 60, y, 60, 22), "确认");
    Button(settings, "按钮23", QRect(right - 60, y, 60, 22), "取消");
}

void BuildScoringPage(QWidget* page) {
    QGroupBox* scoring = Group(page, "分组框5", QRect(kLeft, kTop, kRight - kLeft, kBottom - kTop), "");
    scoring->setAccessibleName(ToQString("姓名评分"));
    QComboBox* name = EditableList(scoring, "组合框7", QRect(66, 22, 200, 26));
    Label(scoring, "透明标签9", QRect(16, 22, 48, 26), "姓名：", name)
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Button(scoring, "按钮3", QRect(278, 20, 110, 30), "开始评分");
    ResultArea(scoring, QRect(12, 60, scoring->width() - 24, scoring->height() - 72),
               {"图片框1", "超文本浏览框3", "", "", "", "姓名评分结果"});
}

void BuildCompanyPage(QWidget* page) {
    QGroupBox* company = Group(page, "分组框6", QRect(kLeft, kTop, kRight - kLeft, kBottom - kTop), "");
    company->setAccessibleName(ToQString("公司取名"));
    Radio(company, "单选框5", QRect(16, 22, 160, 26), "2个字的公司起名", false);
    Radio(company, "单选框6", QRect(186, 22, 160, 26), "3个字的公司起名", false);
    Button(company, "按钮6", QRect(360, 20, 110, 30), "开始取名");
    // "图片框2" frames the inner container "图片框17" that holds the pane.
    const QRect outerPlace(12, 60, company->width() - 24, company->height() - 98);
    QLabel* outer = PictureBox(company, "图片框2", outerPlace, "公司取名结果区");
    ResultArea(outer, outer->rect().adjusted(2, 2, -2, -2),
               {"图片框17", "超文本浏览框4", "", "", "", "公司取名结果"});
    Progress(company, "进度条4", QRect(outerPlace.left(), outerPlace.bottom() + 9, outerPlace.width(), 18),
             "取名进度");
}

void BuildGenerationPage(QWidget* page) {
    QGroupBox* inputs = Group(page, "分组框14", QRect(kLeft, kTop, 250, kBottom - kTop), "操作区");
    int y = 30;
    Row(inputs, y, "姓氏:", EditableList(inputs, "组合框24", {}), 108, 112);
    Row(inputs, y += kRowStep, "辈分:", EditableList(inputs, "组合框25", {}), 108, 112);
    y = BirthRows(inputs, y + kRowStep, {"组合框13", "组合框12", "组合框11", "组合框10", "组合框9", "组合框8"},
                  HoursWithUnknown());
    ModeRadios(inputs, y + 4, "单选框8", "单选框7", true);
    Button(inputs, "按钮28", QRect(40, y + 44, 170, 34), "开始起名");

    QGroupBox* results = Group(page, "分组框13", QRect(266, kTop, kRight - 266, kBottom - kTop), kResultsCaption);
    ResultArea(results, QRect(10, 24, results->width() - 20, results->height() - 60),
               {"图片框16", "超文本浏览框5", "图片框15", "标签4", "进度条3", "辈分取名结果"});
}

}  // namespace zu::pages
