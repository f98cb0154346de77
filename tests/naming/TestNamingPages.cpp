// The naming pages of the real main window against the loopback server, with
// real WebEngine panes: runs of pages 1, 2, 7 and 5, the retry question,
// scoring, picks and the panes' navigation guard.
#include <QAbstractButton>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "naming/features.h"
#include "naming/naming.h"
#include "naming/page_texts.h"
#include "naming_fixture.h"
#include "settings/config.h"
#include "settings/paths.h"
#include "settings/settings_store.h"
#include "speech/recording_speech_engine.h"
#include "speech/voice_prompt.h"
#include "support/loopback_server.h"

using namespace zu;
using namespace zu::test;
using Strings = std::vector<std::string>;

Q_DECLARE_METATYPE(std::string)

// Failures show GBK texts readably.
namespace QTest {
template <>
char* toString(const Strings& texts) {
    QStringList out;
    for (const std::string& t : texts) out << zu::ToQString(t);
    return qstrdup(("[" + out.join(QStringLiteral(", ")) + "]").toUtf8().constData());
}
}  // namespace QTest

namespace {

// Records the overlay label's texts while a run pumps events.
class LabelSampler : public QObject {
public:
    explicit LabelSampler(QLabel* label) : label_(label) {
        connect(&timer_, &QTimer::timeout, this, [this] { Sample(); });
        timer_.start(0);
    }
    QStringList values() {
        Sample();
        return values_;
    }

private:
    void Sample() {
        const QString t = label_->text();
        if (!t.isEmpty() && (values_.isEmpty() || values_.back() != t)) values_ << t;
    }
    QLabel* label_;
    QTimer timer_;
    QStringList values_;
};

}  // namespace

class TestNamingPages : public QObject, public WindowDriver {
    Q_OBJECT

    QTemporaryDir home_;
    RecordingSpeechEngine* speech_ = nullptr;
    std::unique_ptr<LoopbackServer> server_;
    QList<QUrl> opened_;
    // Every retry question is answered: No unless a test queued answers, so
    // an unexpected question fails the test instead of hanging it.
    std::unique_ptr<RetryAnswerer> answers_;
    const RetryAnswerer& Answer(std::vector<QMessageBox::StandardButton> answers) {
        answers_ = std::make_unique<RetryAnswerer>(std::move(answers));
        return *answers_;
    }

    void Check(std::string_view radio) { C<QAbstractButton>(radio)->setChecked(true); }
    std::string Caption(std::string_view button) const { return ToGbk(C<QAbstractButton>(button)->text()); }
    std::string LabelText(std::string_view label) const { return ToGbk(C<QLabel>(label)->text()); }
    bool Enabled(std::string_view name) const { return C(name)->isEnabled(); }
    bool Visible(std::string_view name) const { return !C(name)->isHidden(); }
    Strings Spoken() const { return speech_->SpokenTexts(); }
    Strings Targets() const {
        Strings out;
        for (const RecordedRequest& r : server_->Requests()) out.push_back(r.target);
        return out;
    }
    std::string Base() const { return server_->baseAddress(); }

    // Every list request of page 1 answered with these names.
    void AnswerList(const Strings& names) {
        const std::string body = ListReplyBody(names);
        server_->SetHandler([body](const RecordedRequest&) { return HttpReply(body); });
    }
    void FillBabyPage(std::string_view count, bool twoCharacters) {
        Set("组合框1", "张");
        Set("组合框2", "1990");
        Set("组合框3", "05");
        Set("组合框4", "09");
        Set("组合框5", "13");
        Set("组合框6", "女");
        Set("组合框22", count);
        Check(twoCharacters ? "单选框1" : "单选框2");
    }
    std::string BabyQuery() const {
        return naming::ListQuery("", {"张", "1990", "05", "09", "13", "女"});
    }

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        qputenv("XDG_CONFIG_HOME", (home_.path() + "/config").toLocal8Bit());
        SetRunDirectory(home_.path().toStdString());
        std::filesystem::create_directories(home_.path().toStdString() + "/temp");
        speech_ = &InstallRecordingSpeechEngine();
        naming::SetExternalOpener([this](const QUrl& url) { opened_ << url; });
    }

    void init() {
        server_ = std::make_unique<LoopbackServer>();
        ServiceConfig config;
        config.listEndpoint = config.companyEndpoint = config.scoringEndpoint = Base();
        config.serviceSite = "http://www.service-site.test";
        config.productSite = "zu.product.test";
        SetConfig(config);
        SetSoundOff(false);
        naming::SetBlendChoiceSource([] { return naming::BlendChoices{2, 3, 1}; });
        opened_.clear();

        window_ = std::make_unique<MainWindow>();
        window_->show();
        InstallNamingFeatures(W());
        ApplySexToParentBoxes(W());
        WriteBlankPages(W());
        for (std::string_view pane : {"超文本浏览框1", "超文本浏览框2", "超文本浏览框3", "超文本浏览框4", "超文本浏览框5"})
            WaitShown(pane);
        speech_->Clear();
        Answer({});
    }

    void cleanup() {
        answers_.reset();
        window_.reset();
        server_.reset();
        QCoreApplication::processEvents();
    }

    // ---- Page 1 --------------------------------------------------------

    void babyRun_data() {
        QTest::addColumn<QString>("count");
        QTest::addColumn<bool>("two");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("name");
        QTest::newRow("50, two characters") << "50" << true << 1 << 50 << "55|55" << Q("张伟");
        QTest::newRow("200, three characters") << "200" << false << 3 << 200 << "205|205" << Q("张伟明");
        QTest::newRow("not a number") << Q("很多") << true << 1 << 0 << "5|5" << Q("张伟");
    }
    void babyRun() {
        QFETCH(QString, count);
        QFETCH(bool, two);
        QFETCH(int, requests);
        QFETCH(int, maximum);
        QFETCH(QString, label);
        QFETCH(QString, name);
        FillBabyPage(ToGbk(count), two);
        AnswerList({"张伟明", "张伟明"});
        Click("按钮2");

        QCOMPARE(Targets(), Strings(requests, BabyQuery()));
        auto* bar = C<QProgressBar>("进度条1");
        QCOMPARE(bar->maximum(), maximum);
        QCOMPARE(bar->value(), maximum);  // full
        QCOMPARE(C<QLabel>("标签1")->text(), label);
        WaitShown("超文本浏览框1");
        QTRY_COMPARE_WITH_TIMEOUT(LinkTexts(Pane("超文本浏览框1")), Strings(2 * requests, ToGbk(name)), 10000);
        QCOMPARE(Spoken(), (Strings{"正在开始起名！请稍候！", "取名完毕！"}));
        QCOMPARE(Caption("按钮2"), std::string("重新取名"));
        QVERIFY(!Visible("图片框4") && !Visible("标签1"));
        for (std::string_view c : {"超文本浏览框1", "组合框1", "组合框6", "组合框22", "单选框1", "单选框2", "按钮2"})
            QVERIFY2(Enabled(c), qPrintable(Q(c)));
        QCOMPARE(ReadSetting("Zu"), std::string("张"));
        QCOMPARE(ReadSetting("Zu4"), ToGbk(count));
        std::string links;
        for (int i = 0; i < 2 * requests; ++i) links += naming::NameLink(ToGbk(name));
        QCOMPARE(ReadFile(RunDirectory() + "/temp/liebiao.html"), naming::ListPage(links));
    }

    void requestBytes() {
        FillBabyPage("50", true);
        AnswerList({"张伟"});
        Click("按钮2");
        const std::vector<RecordedRequest> requests = server_->Requests();
        QCOMPARE(requests.size(), std::size_t{1});
        const RecordedRequest& r = requests[0];
        // The query goes out as raw GBK bytes, nothing percent-encoded.
        QCOMPARE(r.requestLine, "GET " + BabyQuery() + " HTTP/1.1");
        QVERIFY(r.raw.find("keyword=\xD5\xC5&") != std::string::npos);  // 张 in GBK
        const Strings wanted = {"Referer: " + Base() + BabyQuery(), "Accept: */*", "Accept-Language: zh-cn",
                                "Content-Type: application/x-www-form-urlencoded"};
        for (const std::string& line : wanted) {
            QVERIFY2(std::find(r.headerLines.begin(), r.headerLines.end(), line) != r.headerLines.end(),
                     qPrintable(Q(line)));
        }
    }

    void emptySurname() {
        FillBabyPage("50", true);
        Set("组合框1", "");
        Click("按钮2");
        QCOMPARE(Spoken(), Strings{"姓氏·不能为空·请输入·"});
        QVERIFY(server_->Requests().empty());
        QCOMPARE(Caption("按钮2"), std::string("开始起名"));
        QVERIFY(Enabled("超文本浏览框1"));
    }

    void editedSurnameOffersAFreshStart() {
        QTest::keyClicks(C<QComboBox>("组合框1")->lineEdit(), QStringLiteral("x"));
        QCOMPARE(Caption("按钮2"), std::string("开始取名"));
    }

    void failedRunDeclined_data() {
        QTest::addColumn<std::string>("reply");
        // A character GBK cannot hold is decoded as "?".
        QTest::newRow("question mark") << ListReplyBody({"张伟"}) + std::string(naming::kReplyMarker) +
                                              "%uD83D%uDE00</a>";
        QTest::newRow("punycode") << ListReplyBody({"张伟", "xn--ab"});
        QTest::newRow("no names") << ListReplyBody({});
    }
    void failedRunDeclined() {
        QFETCH(std::string, reply);
        FillBabyPage("50", false);
        server_->SetHandler([reply](const RecordedRequest&) { return HttpReply(reply); });
        const RetryAnswerer& answers = Answer({QMessageBox::No});
        Click("按钮2");

        QCOMPARE(answers.seen().size(), std::size_t{1});
        const auto& box = answers.seen()[0];
        QCOMPARE(box.title, Q("温馨提示"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.modality, Qt::ApplicationModal);
        QVERIFY(!box.hasParent);
        const Strings noNames = {"正在开始起名！请稍候！", "重新取名失败·请检查是否网络是否连接·",
                                 "很抱歉·取名遇到小问题·你是否需要重新取名·"};
        const Strings badNames = {"正在开始起名！请稍候！", "很抱歉·取名遇到小问题·你是否需要重新取名·"};
        QCOMPARE(Spoken(), QTest::currentDataTag() == QByteArray("no names") ? noNames : badNames);
        // The end step: inputs back, overlay hidden, the pane blank and disabled.
        QCOMPARE(Caption("按钮2"), std::string("重新取名"));
        QVERIFY(!Visible("图片框4") && !Visible("标签1"));
        for (std::string_view c : {"组合框1", "组合框22", "单选框1", "按钮2"}) QVERIFY2(Enabled(c), qPrintable(Q(c)));
        QVERIFY(!Enabled("超文本浏览框1"));
        QVERIFY(LinkTexts(Pane("超文本浏览框1")).empty());
        QCOMPARE(server_->Requests().size(), std::size_t{1});
    }

    void retryAfterYes() {
        FillBabyPage("50", true);
        // Three failures answered Yes, then a good reply: four runs in one click.
        for (int i = 0; i < 3; ++i) server_->Enqueue(HttpReply(ListReplyBody({"xn--a"})));
        server_->Enqueue(HttpReply(ListReplyBody({"李小龙"})));
        const RetryAnswerer& answers = Answer({QMessageBox::Yes, QMessageBox::Yes, QMessageBox::Yes});
        Click("按钮2");

        QCOMPARE(answers.seen().size(), std::size_t{3});
        QCOMPARE(server_->Requests().size(), std::size_t{4});
        WaitShown("超文本浏览框1");
        QTRY_COMPARE_WITH_TIMEOUT(LinkTexts(Pane("超文本浏览框1")), Strings{"李小"}, 10000);
        const Strings spoken = Spoken();
        QCOMPARE(spoken.front(), std::string("正在开始起名！请稍候！"));
        QCOMPARE(std::count(spoken.begin(), spoken.end(), std::string("正在重新取名！请稍候！")), 3);
        QCOMPARE(spoken.back(), std::string("取名完毕！"));
        QCOMPARE(C<QLabel>("标签1")->text(), QStringLiteral("55|55"));  // a fresh count each time
        QVERIFY(Enabled("超文本浏览框1"));
    }

    void failureInTheSecondBatchKeepsTheFirst() {
        FillBabyPage("200", false);
        server_->Enqueue(HttpReply(ListReplyBody({"张伟明", "张小红"})));
        server_->Enqueue(HttpReply("<html>busy</html>"));
        server_->Enqueue(HttpReply(ListReplyBody({"不该出现"})));
        Click("按钮2");

        QCOMPARE(server_->Requests().size(), std::size_t{2});
        WaitShown("超文本浏览框1");
        QTRY_COMPARE_WITH_TIMEOUT(LinkTexts(Pane("超文本浏览框1")), (Strings{"张伟明", "张小红"}), 10000);
        QCOMPARE(Spoken(), (Strings{"正在开始起名！请稍候！", "重新取名失败·请检查是否网络是否连接·", "取名完毕！"}));
        QCOMPARE(C<QLabel>("标签1")->text(), QStringLiteral("205|205"));
    }

    void hostileNameStaysText() {
        const std::string hostile = "\"><img src=x onerror=\"document.title='pwned'\">";
        FillBabyPage("50", false);
        AnswerList({hostile});
        Click("按钮2");
        WaitShown("超文本浏览框1");
        QWebEngineView* pane = Pane("超文本浏览框1");
        QTRY_COMPARE_WITH_TIMEOUT(LinkTexts(pane), Strings{hostile}, 10000);
        QCOMPARE(RunScript(pane, QStringLiteral("document.images.length")).toInt(), 0);
        QVERIFY(RunScript(pane, QStringLiteral("document.title")).toString() != QStringLiteral("pwned"));
    }

    // ---- Picks and the panes' guard -------------------------------------

    void pickAName() {
        FillBabyPage("50", true);
        AnswerList({"张三", "李四"});
        Click("按钮2");
        WaitShown("超文本浏览框1");
        const std::string analysis = "<b>张三 90分</b>";
        server_->SetHandler([analysis](const RecordedRequest&) { return HttpReply(ScoringReplyBody("张三", analysis)); });
        speech_->Clear();
        const int topLevels = QApplication::topLevelWidgets().size();
        C<QTabWidget>("选择夹1")->setCurrentIndex(1);

        ClickLink(Pane("超文本浏览框1"), 0);
        QVERIFY(WaitUntil([&] { return server_->Requests().size() >= 2; }));
        QCOMPARE(server_->Requests()[1].target, std::string("/show.asp?youname1=张&youname2=三&btnAdd="));
        QVERIFY(WaitUntil([&] { return !Spoken().empty(); }));
        QCOMPARE(Spoken(), Strings{"张三"});
        QCOMPARE(QGuiApplication::clipboard()->text(), Q("张三"));
        WaitShown("超文本浏览框3");
        QCOMPARE(ReadFile(RunDirectory() + "/temp/xingmingfengxi.htm"), naming::AnalysisPage(analysis));
        // No window opened; the list and the page in view stay.
        QCOMPARE(QApplication::topLevelWidgets().size(), topLevels);
        QVERIFY(opened_.isEmpty());
        QCOMPARE(C<QTabWidget>("选择夹1")->currentIndex(), 1);
        QVERIFY(ShowsOwnPage(Pane("超文本浏览框1")));
        QTRY_COMPARE_WITH_TIMEOUT(LinkTexts(Pane("超文本浏览框1")), (Strings{"张三", "李四"}), 10000);
    }

    void pickedNameIsTheWrittenName() {
        // Names the browser keeps in IDNA form, lower-cased or mapped.
        const Strings names = {"张三", "张三丰", "欧阳", "ABCD", "Ａ张", "王·明", "〇三", "兀兀", "Ⅲ世", "Ab张"};
        FillBabyPage("50", false);
        AnswerList(names);
        Click("按钮2");
        WaitShown("超文本浏览框1");
        QWebEngineView* pane = Pane("超文本浏览框1");
        auto* page = naming::PageOf(pane);
        for (std::size_t i = 0; i < names.size(); ++i) {
            QGuiApplication::clipboard()->clear();
            ClickLink(pane, static_cast<int>(i));
            QVERIFY(WaitUntil([&] { return !QGuiApplication::clipboard()->text().isEmpty(); }));
            QCOMPARE(ToGbk(QGuiApplication::clipboard()->text()), names[i]);
                QCOMPARE(page->NameForAddress(QUrl(page->HoveredLink())), names[i]);
        }
        // Chinese names come back from the link address alone as well.
        for (const std::string& name : {std::string("张三"), std::string("张三丰"), std::string("王·明")}) {
            const QUrl address(Q("http://" + name + "##"));
            QCOMPARE(naming::NameFromLinkAddress(address), name);
            QCOMPARE(naming::NameFromHoveredLink(address.toString()), name);
        }
    }

    void navigationGuard_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("showsTheNewFile");
        const QString own = QUrl::fromLocalFile(home_.path() + "/temp/liebiao.html").toString();
        QTest::newRow("own file") << own << true;
        QTest::newRow("another file") << QUrl::fromLocalFile(home_.path() + "/temp/other.html").toString() << false;
        // The engine shows "about:blank" without asking; the pane then goes
        // back to its own page, as the file now stands.
        QTest::newRow("about:blank") << "about:blank" << true;
        QTest::newRow("letter case") << QUrl::fromLocalFile(home_.path() + "/temp/LIEBIAO.html").toString() << false;
        QTest::newRow("a web address") << QStringLiteral("http://127.0.0.1:9/") << false;
    }
    // A refused address leaves the pane on the document it had (the blank
    // page), although its file has changed meanwhile.
    void navigationGuard() {
        QFETCH(QString, address);
        QFETCH(bool, showsTheNewFile);
        naming::WritePage(RunDirectory() + "/temp/other.html", naming::ListPage(naming::NameLink("别处")));
        naming::WritePage(RunDirectory() + "/temp/LIEBIAO.html", naming::ListPage(naming::NameLink("别处")));
        naming::WritePage(RunDirectory() + "/temp/liebiao.html", naming::ListPage(naming::NameLink("自己")));
        for (std::string_view name : {"超文本浏览框1", "超文本浏览框5"}) {
            QWebEngineView* pane = Pane(name);
            // Asked by the program and by a script in the page alike.
            pane->setUrl(QUrl(address));
            QTest::qWait(300);
            RunScript(pane, QStringLiteral("location.href = '%1'").arg(address));
            QTest::qWait(300);
            QVERIFY(WaitUntil([&] { return ShowsOwnPage(pane); }));
            QTRY_COMPARE_WITH_TIMEOUT(LinkTexts(pane), showsTheNewFile ? Strings{"自己"} : Strings{}, 10000);
        }
        QVERIFY(server_->Requests().empty());
    }

    void scoringPaneOpensNewWindowsOutside() {
        naming::WritePage(RunDirectory() + "/temp/xingmingfengxi.htm",
                          naming::AnalysisPage("<a href=\"http://127.0.0.1:9/x\" target=\"_blank\">more</a>"));
        QWebEngineView* pane = Pane("超文本浏览框3");
        pane->reload();
        WaitShown("超文本浏览框3");
        ClickLink(pane, 0);
        QVERIFY(WaitUntil([&] { return !opened_.isEmpty(); }));
        QCOMPARE(opened_.front(), QUrl(QStringLiteral("http://127.0.0.1:9/x")));
        QVERIFY(ShowsOwnPage(pane));
    }

    // ---- Page 4: scoring -------------------------------------------------

    void scoring_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("target");
        QTest::newRow("three characters") << Q("张三丰") << Q("/show.asp?youname1=张&youname2=三丰&btnAdd=");
        QTest::newRow("two characters") << Q("张三") << Q("/show.asp?youname1=张&youname2=三&btnAdd=");
        QTest::newRow("four characters") << Q("欧阳娜娜") << QString();
        QTest::newRow("one character") << Q("张") << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void scoring() {
        QFETCH(QString, name);
        QFETCH(QString, target);
        const std::string attribution = naming::ServiceAttribution(Base());
        const std::string credit = naming::ServiceCreditCell("http://www.service-site.test");
        const std::string analysis = attribution + "<table><tr>" + credit + "</td></tr></table>";
        server_->SetHandler([analysis](const RecordedRequest&) { return HttpReply(ScoringReplyBody("x", analysis)); });
        C<QComboBox>("组合框7")->setEditText(name);
        Click("按钮3");
        if (target.isEmpty()) {
            QTest::qWait(100);
            QVERIFY(server_->Requests().empty());
            QVERIFY(Spoken().empty());
            return;
        }
        QCOMPARE(Targets(), Strings{ToGbk(target)});
        const std::string page = ReadFile(RunDirectory() + "/temp/xingmingfengxi.htm");
        QCOMPARE(page, naming::AnalysisPage("<table><tr>" + naming::ProductCreditCell("zu.product.test") +
                                            "</td></tr></table>"));
        WaitShown("超文本浏览框3");
        QTRY_VERIFY_WITH_TIMEOUT(RunScript(Pane("超文本浏览框3"), QStringLiteral("document.body.innerHTML"))
                                     .toString()
                                     .contains(Q("Zu宝宝取名软件出品")),
                                 10000);
        QVERIFY(Spoken().empty());
    }

    void scoringFailure() {
        const std::string before = ReadFile(RunDirectory() + "/temp/xingmingfengxi.htm");
        server_->SetHandler([](const RecordedRequest&) {
            return HttpReply("<p>" + std::string(naming::kAnalysisStartMarker) + "no end");
        });
        C<QComboBox>("组合框7")->setEditText(Q("张三"));
        Click("按钮3");
        QCOMPARE(Spoken(), Strings{"姓名评分失败！请联系客服！"});
        QCOMPARE(ReadFile(RunDirectory() + "/temp/xingmingfengxi.htm"), before);
        QVERIFY(ShowsOwnPage(Pane("超文本浏览框3")));
    }

    // ---- Page 2: parent-child -------------------------------------------

    void parentRun_data() {
        QTest::addColumn<QString>("sex");
        QTest::addColumn<bool>("two");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("name");
        QTest::newRow("boy, two characters") << Q("男") << true << 1 << Q("王国");
        QTest::newRow("boy, three characters") << Q("男") << false << 1 << Q("王国涵");
        QTest::newRow("boy, last position, two") << Q("男") << true << 2 << Q("王子");
        QTest::newRow("girl, three characters") << Q("女") << false << 2 << Q("王子丽");
    }
    void parentRun() {
        QFETCH(QString, sex);
        QFETCH(bool, two);
        QFETCH(int, position);
        QFETCH(QString, name);
        naming::SetBlendChoiceSource([position] { return naming::BlendChoices{2, 3, position}; });
        Set("组合框19", "王");
        Set("组合框20", "建国");
        Set("组合框21", "丽华");
        Set("组合框14", ToGbk(sex));
        Set("组合框23", "50");
        Check(two ? "单选框3" : "单选框4");
        AnswerList(Strings(50, "王子涵"));
        LabelSampler labels(C<QLabel>("标签2"));
        Click("按钮7");

        QCOMPARE(Targets(), Strings{naming::ListQuery("", {"王", "1960", "01", "01", "00", ToGbk(sex)})});
        QCOMPARE(C<QProgressBar>("进度条2")->maximum(), 45);
        QStringList expected;
        for (int i = 1; i <= 45; ++i) expected << QStringLiteral("50|%1").arg(i);  // the bar stops at full
        expected << QStringLiteral("50|50");
        QCOMPARE(labels.values(), expected);
        WaitShown("超文本浏览框2");
        QTRY_COMPARE_WITH_TIMEOUT(LinkTexts(Pane("超文本浏览框2")), Strings(50, ToGbk(name)), 10000);
        QCOMPARE(Spoken(), (Strings{"正在亲子起名！请稍候！", "取名完毕！"}));
        QCOMPARE(ReadSetting("Zu1"), std::string("王"));
        QCOMPARE(ReadSetting("Zu2"), std::string("建国"));
        QCOMPARE(ReadSetting("Zu3"), std::string("丽华"));
        QCOMPARE(ReadSetting("Zu5"), std::string("50"));
        const bool boy = sex == Q("男");
        QCOMPARE(Enabled("组合框20"), boy);
        QCOMPARE(Enabled("组合框21"), !boy);
        QCOMPARE(C<QCheckBox>("选择框2")->isChecked(), boy);
        for (std::string_view c : {"组合框19", "组合框14", "组合框23", "单选框3", "单选框4", "按钮7", "超文本浏览框2"})
            QVERIFY2(Enabled(c), qPrintable(Q(c)));
        QCOMPARE(Caption("按钮7"), std::string("重新取名"));
    }

    void parentEntryCheck_data() {
        QTest::addColumn<QString>("sex");
        QTest::addColumn<QString>("father");
        QTest::addColumn<QString>("mother");
        QTest::addColumn<bool>("passes");
        QTest::newRow("boy without father") << Q("男") << QString() << Q("丽华") << false;
        QTest::newRow("girl without mother") << Q("女") << Q("建国") << QString() << false;
        QTest::newRow("boy with father") << Q("男") << Q("建国") << QString() << true;
        QTest::newRow("girl with mother") << Q("女") << QString() << Q("丽华") << true;
    }
    void parentEntryCheck() {
        QFETCH(QString, sex);
        QFETCH(QString, father);
        QFETCH(QString, mother);
        QFETCH(bool, passes);
        Set("组合框19", "王");
        C<QComboBox>("组合框20")->setEditText(father);
        C<QComboBox>("组合框21")->setEditText(mother);
        Set("组合框14", ToGbk(sex));
        Set("组合框23", "50");
        Check("单选框4");
        AnswerList({"王子涵"});
        WriteSetting("Zu1", "before");
        Click("按钮7");
        QCOMPARE(server_->Requests().size(), std::size_t{passes ? 1u : 0u});
        if (!passes) QCOMPARE(Spoken(), Strings{"重要信息·不能为空·请输入·"});
        QCOMPARE(ReadSetting("Zu1"), std::string(passes ? "王" : "before"));  // nothing saved on a failed check
    }

    void parentRetryDeclined() {
        Set("组合框19", "王");
        Set("组合框21", "丽华");
        Set("组合框14", "女");
        Set("组合框23", "100");
        Check("单选框3");
        server_->SetHandler([](const RecordedRequest&) { return HttpReply("<html></html>"); });
        const RetryAnswerer& answers = Answer({QMessageBox::No});
        Click("按钮7");
        QCOMPARE(answers.seen().size(), std::size_t{1});
        QCOMPARE(Spoken(), (Strings{"正在亲子起名！请稍候！", "重新取名失败·请检查是否网络是否连接·",
                                    "很抱歉·取名遇到小问题·你是否需要重新取名·"}));
        QVERIFY(Enabled("组合框21") && !Enabled("组合框20"));
        QVERIFY(!Enabled("超文本浏览框2"));
        QVERIFY(Enabled("单选框3") && Enabled("组合框23") && Enabled("按钮7"));
        QVERIFY(!Visible("图片框7"));
    }

    void sexSelectionSwitchesParentBoxes() {
        Set("组合框14", "女");
        QVERIFY(Enabled("组合框21") && !Enabled("组合框20"));
        QVERIFY(C<QCheckBox>("选择框3")->isChecked() && !C<QCheckBox>("选择框2")->isChecked());
        Set("组合框14", "男");
        QVERIFY(!Enabled("组合框21") && Enabled("组合框20"));
        QVERIFY(!C<QCheckBox>("选择框3")->isChecked() && C<QCheckBox>("选择框2")->isChecked());
    }

    // ---- Page 7: generation character -----------------------------------

    void generationRun_data() {
        QTest::addColumn<QString>("generation");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("德") << Q("德") << Q("单选框8") << QStringList{Q("张德明"), Q("德王明"), Q("德")};
        QTest::newRow("德, three-character radio") << Q("德") << Q("单选框7")
                                                   << QStringList{Q("张德明"), Q("德王明"), Q("德")};
        QTest::newRow("empty") << QString() << Q("单选框8") << QStringList{Q("张明"), Q("王明"), QString()};
        QTest::newRow("two characters") << Q("德文") << Q("单选框8")
                                        << QStringList{Q("张德文明"), Q("德文王明"), Q("德文")};
    }
    void generationRun() {
        QFETCH(QString, generation);
        QFETCH(QString, radio);
        QFETCH(QStringList, names);
        Set("组合框24", "张");
        C<QComboBox>("组合框25")->setEditText(generation);
        Set("组合框8", "50");
        Check(ToGbk(radio));
        AnswerList({"张伟明", "王王明", "张"});
        Click("按钮28");
        QCOMPARE(Targets(), Strings{naming::ListQuery("", {"张", "1960", "01", "01", "00", "男"})});
        WaitShown("超文本浏览框5");
        Strings expected;
        for (const QString& n : names) expected.push_back(ToGbk(n));
        QTRY_COMPARE_WITH_TIMEOUT(LinkTexts(Pane("超文本浏览框5")), expected, 10000);
        QCOMPARE(Spoken(), (Strings{"正在开始起名！请稍候！", "取名完毕！"}));
        QCOMPARE(ReadSetting("Zubf1"), std::string("张"));
        QCOMPARE(ReadSetting("Zubf2"), ToGbk(generation));
        QCOMPARE(ReadSetting("Zubf3"), std::string("50"));
        QCOMPARE(LabelText("标签4"), std::string("55|55"));
        for (std::string_view c : {"组合框24", "组合框25", "组合框8", "单选框8", "单选框7", "按钮28", "超文本浏览框5"})
            QVERIFY2(Enabled(c), qPrintable(Q(c)));
    }

    void generationBatchFailureIsSilent() {
        Set("组合框24", "张");
        Set("组合框25", "德");
        Set("组合框8", "50");
        server_->SetHandler([](const RecordedRequest&) { return HttpReply(""); });
        const RetryAnswerer& answers = Answer({QMessageBox::No});
        Click("按钮28");
        QCOMPARE(answers.seen().size(), std::size_t{1});  // asked, answered No
        QCOMPARE(Spoken(), (Strings{"正在开始起名！请稍候！", "很抱歉·取名遇到小问题·你是否需要重新取名·"}));
        // FinishGenerationRun: inputs, overlay and pane back; the radios stay locked.
        QVERIFY(Enabled("组合框24") && Enabled("按钮28") && Enabled("超文本浏览框5"));
        QVERIFY(!Enabled("单选框8") && !Enabled("单选框7"));
        QVERIFY(!Visible("图片框15") && !Visible("标签4"));
        QCOMPARE(Caption("按钮28"), std::string("重新取名"));
    }

    // ---- The shared list page file --------------------------------------

    void otherPanesKeepTheirDocuments() {
        FillBabyPage("50", false);
        AnswerList({"张伟明"});
        Click("按钮2");
        WaitShown("超文本浏览框1");
        Set("组合框24", "李");
        Set("组合框25", "德");
        Set("组合框8", "50");
        AnswerList({"李小龙"});
        Click("按钮28");
        WaitShown("超文本浏览框5");
        QTRY_COMPARE_WITH_TIMEOUT(LinkTexts(Pane("超文本浏览框5")), Strings{"李德龙"}, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(LinkTexts(Pane("超文本浏览框1")), Strings{"张伟明"}, 10000);
        QCOMPARE(ReadFile(RunDirectory() + "/temp/liebiao.html"), naming::ListPage(naming::NameLink("李德龙")));
    }

    void noSecondListRunDuringARun() {
        FillBabyPage("200", false);
        Set("组合框24", "李");
        AnswerList({"张伟明"});
        // A click on page 7 while page 1 is pumping events between its batches.
        int clicks = 0;
        QTimer clicker;
        connect(&clicker, &QTimer::timeout, this, [&] {
            if (Caption("按钮2") == "正在取名" && clicks == 0) {
                ++clicks;
                Click("按钮28");
            }
        });
        clicker.start(0);
        Click("按钮2");
        clicker.stop();
        QCOMPARE(clicks, 1);
        QCOMPARE(Targets(), Strings(3, BabyQuery()));
        WaitShown("超文本浏览框1");
        QTRY_COMPARE_WITH_TIMEOUT(LinkTexts(Pane("超文本浏览框1")), Strings(3, "张伟明"), 10000);
        QVERIFY(LinkTexts(Pane("超文本浏览框5")).empty());
        QCOMPARE(Caption("按钮28"), std::string("开始起名"));
    }

    // ---- Page 5: company naming -----------------------------------------

    void companyRun_data() {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QString>("target");
        QTest::newRow("two characters") << Q("单选框5") << "/gongsiqiming/?words=2";
        QTest::newRow("three characters") << Q("单选框6") << "/gongsiqiming/?words=3";
    }
    void companyRun() {
        QFETCH(QString, radio);
        QFETCH(QString, target);
        Check(ToGbk(radio));
        const Strings names = {"宏达", "伟业", "华兴", "鼎盛", "恒通"};
        const std::string body = CompanyReplyBody(names);  // 10 pieces
        server_->SetHandler([body](const RecordedRequest&) { return HttpReply(body); });
        Click("按钮6");
        // The button is off before the worker runs: a second click starts nothing.
        QVERIFY(!Enabled("按钮6"));
        Click("按钮6");
        QVERIFY(WaitUntil([&] { return Enabled("按钮6"); }));
        QCOMPARE(Targets(), Strings(6, ToGbk(target)));
        QCOMPARE(Spoken(), (Strings{"正在开始取名！请稍候！", "取名完毕！"}));
        QCOMPARE(Caption("按钮6"), std::string("重新取名"));
        auto* bar = C<QProgressBar>("进度条4");
        QCOMPARE(bar->maximum(), 306);
        QCOMPARE(bar->value(), 306);
        WaitShown("超文本浏览框4");
        Strings expected;
        for (int i = 0; i < 6; ++i)
            for (const std::string& n : names) expected.push_back(n + "有限公司");
        QTRY_COMPARE_WITH_TIMEOUT(LinkTexts(Pane("超文本浏览框4")), expected, 10000);

        // A company name is scored without "有限公司".
        server_->SetHandler([](const RecordedRequest&) { return HttpReply(ScoringReplyBody("x", "<b>A</b>")); });
        ClickLink(Pane("超文本浏览框4"), 0);
        QVERIFY(WaitUntil([&] { return server_->Requests().size() >= 7; }));
        QCOMPARE(server_->Requests()[6].target, std::string("/show.asp?youname1=宏&youname2=达&btnAdd="));
        QCOMPARE(QGuiApplication::clipboard()->text(), Q("宏达有限公司"));
    }

    void companyEndings_data() {
        QTest::addColumn<bool>("mode");
        QTest::addColumn<int>("requests");
        QTest::addColumn<QStringList>("spoken");
        QTest::newRow("no mode") << false << 0
                                 << QStringList{Q("正在开始取名！请稍候！"), Q("请选择您要取名模式·"), Q("取名完毕！")};
        QTest::newRow("failed fetch") << true << 1
                                      << QStringList{Q("正在开始取名！请稍候！"), Q("失败·请检查是否网络是否连接·"),
                                                     Q("取名完毕！")};
    }
    void companyEndings() {
        QFETCH(bool, mode);
        QFETCH(int, requests);
        QFETCH(QStringList, spoken);
        if (mode) Check("单选框6");
        server_->SetHandler([](const RecordedRequest&) { return HttpReply("<html>down</html>"); });
        naming::WritePage(RunDirectory() + "/temp/gongsiquming.htm", naming::ListPage(naming::NameLink("旧名")));
        Pane("超文本浏览框4")->reload();
        WaitShown("超文本浏览框4");
        Click("按钮6");
        QVERIFY(WaitUntil([&] { return Enabled("按钮6"); }));
        QCOMPARE(static_cast<int>(server_->Requests().size()), requests);
        Strings expected;
        for (const QString& s : spoken) expected.push_back(ToGbk(s));
        QCOMPARE(Spoken(), expected);
        // The page is still written, empty, and shown.
        QCOMPARE(ReadFile(RunDirectory() + "/temp/gongsiquming.htm"), naming::ListPage(""));
        QVERIFY(WaitUntil([&] { return ShowsOwnPage(Pane("超文本浏览框4")) && LinkTexts(Pane("超文本浏览框4")).empty(); }));
        QCOMPARE(C<QProgressBar>("进度条4")->value(), 306);
    }

};

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestNamingPages test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestNamingPages.moc"
