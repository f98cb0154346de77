// The program with no service configured: the built-in service answers every
// feature, so a parent gets names, scores and company names offline. Real
// main window, real panes, the service on its loopback port.
#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <set>

#include "app/startup.h"
#include "naming/features.h"
#include "naming/naming.h"
#include "naming/page_texts.h"
#include "naming_fixture.h"
#include "settings/config.h"
#include "settings/paths.h"
#include "speech/recording_speech_engine.h"

using namespace zu;
using namespace zu::test;
using Strings = std::vector<std::string>;

namespace {

std::string PaneHtml(QWebEngineView* pane) {
    return ToGbk(RunScript(pane, QStringLiteral("document.body ? document.body.innerHTML : ''")).toString());
}

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

}  // namespace

class TestOfflineNaming : public QObject, public WindowDriver {
    Q_OBJECT

    QTemporaryDir home_;
    RecordingSpeechEngine* speech_ = nullptr;
    std::unique_ptr<RetryAnswerer> answers_;

    // The names of the list pane once the run's page has loaded.
    Strings ListedNames(std::string_view pane) {
        Strings names;
        WaitUntil([&] { return ShowsOwnPage(Pane(pane)) && !(names = LinkTexts(Pane(pane))).empty(); });
        return names;
    }

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid());
        qputenv("XDG_CONFIG_HOME", (home_.path() + "/config").toLocal8Bit());
        SetRunDirectory(home_.path().toStdString());
        std::filesystem::create_directories(home_.path().toStdString() + "/temp");
        speech_ = &InstallRecordingSpeechEngine();
        naming::SetExternalOpener([](const QUrl&) {});

        // Nothing configured: every address is the built-in service's.
        const ServiceConfig config = WithBuiltInService(ReadServiceConfig());
        QVERIFY(config.listEndpoint.rfind("http://127.0.0.1:", 0) == 0);
        for (const std::string& address : {config.companyEndpoint, config.scoringEndpoint, config.serviceSite})
            QCOMPARE(address, config.listEndpoint);
        QCOMPARE(config.productSite, std::string(kDefaultProductSite));
        SetConfig(config);

        window_ = std::make_unique<MainWindow>();
        window_->show();
        InstallNamingFeatures(W());
        ApplySexToParentBoxes(W());
        WriteBlankPages(W());
        for (std::string_view pane : {"超文本浏览框1", "超文本浏览框3", "超文本浏览框4"}) WaitShown(pane);
        answers_ = std::make_unique<RetryAnswerer>(std::vector<QMessageBox::StandardButton>{});
    }

    void cleanupTestCase() {
        answers_.reset();
        window_.reset();
    }

    void init() { speech_->Clear(); }

    // Page 1: three batches of three-character names for a girl born in the
    // hour of 未, each a registrable name of the surname, none twice; a click
    // on the first gives its analysis.
    void babyNamesAndTheirScore() {
        Set("组合框1", "张");
        Set("组合框2", "2024");
        Set("组合框3", "03");
        Set("组合框4", "15");
        Set("组合框5", "14");
        Set("组合框6", "女");
        Set("组合框22", "200");  // three batches
        C<QRadioButton>("单选框2")->setChecked(true);
        Click("按钮2");
        QVERIFY(WaitUntil([&] { return speech_->SpokenTexts().size() >= 2; }, 30000));
        QCOMPARE(speech_->SpokenTexts(), (Strings{"正在开始起名！请稍候！", "取名完毕！"}));

        const std::string page = ReadFile(RunDirectory() + "/temp/liebiao.html");
        const std::string links = page.substr(naming::kListPageHead.size(),
                                              page.size() - naming::kListPageHead.size() - naming::PageTail().size());
        QVERIFY(naming::ResultChecks(links));
        const Strings names = ListedNames("超文本浏览框1");
        QVERIFY2(names.size() >= 150, qPrintable(QString::number(names.size())));
        for (const std::string& name : names) {
            QVERIFY2(name.size() == 6 && name.rfind("张", 0) == 0, qPrintable(Q(name)));
            QVERIFY2(name.substr(2, 2) != name.substr(4, 2), qPrintable(Q(name)));
        }
        // No name twice within a batch; the later batches bring new names.
        const std::size_t batch = names.size() / 3;
        for (std::size_t from = 0; from + batch <= names.size(); from += batch)
            QCOMPARE(std::set<std::string>(names.begin() + from, names.begin() + from + batch).size(), batch);
        QVERIFY(std::set<std::string>(names.begin(), names.end()).size() > 2 * batch);

        ClickLink(Pane("超文本浏览框1"), 0);
        QVERIFY(WaitUntil([&] { return QGuiApplication::clipboard()->text() == Q(names[0]); }));
        QVERIFY(WaitUntil([&] { return Contains(PaneHtml(Pane("超文本浏览框3")), "总格"); }));
        const std::string analysis = PaneHtml(Pane("超文本浏览框3"));
        for (std::string_view part : {"天格", "人格", "地格", "外格", "三才", "综合评分", "Zu宝宝取名软件出品"})
            QVERIFY2(Contains(analysis, part), qPrintable(Q(part)));
        QVERIFY(Contains(analysis, names[0].substr(2, 2)));
    }

    // Page 4: a typed name is scored, and the score says what it rests on.
    void typedNameScored() {
        C<QComboBox>("组合框7")->setEditText(Q("王小明"));
        Click("按钮3");
        QVERIFY(WaitUntil([&] { return Contains(PaneHtml(Pane("超文本浏览框3")), "王"); }));
        const std::string analysis = PaneHtml(Pane("超文本浏览框3"));
        for (std::string_view part : {"小", "明", "总格", "综合评分"}) QVERIFY2(Contains(analysis, part), qPrintable(Q(part)));
        QVERIFY(speech_->SpokenTexts().empty());
    }

    // Page 2: a boy's names that each carry one character of his father's name.
    void parentChildNames() {
        Set("组合框19", "王");
        Set("组合框14", "男");
        C<QComboBox>("组合框20")->setEditText(Q("建国"));
        Set("组合框23", "50");
        C<QRadioButton>("单选框4")->setChecked(true);
        Click("按钮7");
        QVERIFY(WaitUntil([&] { return speech_->SpokenTexts().size() >= 2; }, 30000));
        QCOMPARE(speech_->SpokenTexts(), (Strings{"正在亲子起名！请稍候！", "取名完毕！"}));
        const Strings names = ListedNames("超文本浏览框2");
        QVERIFY2(names.size() >= 40, qPrintable(QString::number(names.size())));
        for (const std::string& name : names) {
            QVERIFY2(name.size() == 6 && name.rfind("王", 0) == 0, qPrintable(Q(name)));
            QVERIFY2(Contains(name.substr(2), "建") || Contains(name.substr(2), "国"), qPrintable(Q(name)));
        }
    }

    // Page 7: every name carries the generation character.
    void generationNames() {
        Set("组合框24", "李");
        C<QComboBox>("组合框25")->setEditText(Q("德"));
        Set("组合框8", "50");
        C<QRadioButton>("单选框7")->setChecked(true);
        Click("按钮28");
        QVERIFY(WaitUntil([&] { return speech_->SpokenTexts().size() >= 2; }, 30000));
        const Strings names = ListedNames("超文本浏览框5");
        QVERIFY2(names.size() >= 50, qPrintable(QString::number(names.size())));
        for (const std::string& name : names)
            QVERIFY2(name.rfind("李", 0) == 0 && Contains(name.substr(2), "德"), qPrintable(Q(name)));
    }

    // Page 5: six fetches of two-character company names.
    void companyNames() {
        C<QRadioButton>("单选框5")->setChecked(true);
        Click("按钮6");
        QVERIFY(WaitUntil([&] { return C<QAbstractButton>("按钮6")->isEnabled(); }, 30000));
        QCOMPARE(speech_->SpokenTexts(), (Strings{"正在开始取名！请稍候！", "取名完毕！"}));
        const Strings names = ListedNames("超文本浏览框4");
        QVERIFY2(names.size() >= 30, qPrintable(QString::number(names.size())));
        for (const std::string& name : names)
            QVERIFY2(name.size() == 4 + naming::kCompanySuffix.size() && Contains(name, naming::kCompanySuffix),
                     qPrintable(Q(name)));
    }

};

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestOfflineNaming test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestOfflineNaming.moc"
