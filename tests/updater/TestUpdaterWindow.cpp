// The updater window against the loopback server, with a stand-in main program
// in a temporary run directory. Whatever happens, a runnable main program file
// must be in place afterwards.
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <memory>

#include "run_directory.h"
#include "support/loopback_server.h"
#include "updater/updater_window.h"
#include "web/codecs.h"

using namespace zu;
using zu::test::HttpReply;
using zu::test::LoopbackServer;
using zu::test::RunDirectory;
using zu::test::ScriptedReply;

namespace {

enum class Host { Answers, Unreachable };
enum class Page { WithLink, WithoutMarkers };
enum class FileKind { NewProgram, BreaksOff, BreaksOffOnce, HtmlPage, CannotRun };

struct Scenario {
    Host updateServer = Host::Answers;
    std::string version = "1.1";
    Host downloadHost = Host::Answers;
    Page page = Page::WithLink;
    FileKind file = FileKind::NewProgram;
    bool leftoverDownload = false;
    bool overwriteLeftover = true;
    // Expected:
    std::string failure;                  // the status bar's text; "" = the updater ended
    std::string markAfter;                // the program file afterwards
    bool mainEnded = false;               // the waiting main program was ended
    std::vector<std::string> startedLog;  // programs started by the updater
    int fileRequests = -1;                // downloads tried (-1: not checked)
    std::vector<std::string> boxes;       // "title|text" of every box shown
};

ScriptedReply FileReply(FileKind kind, int attempt) {
    const std::string program = zu::test::StandInBytes("new");
    switch (kind) {
        case FileKind::NewProgram: return HttpReply(program, "application/octet-stream");
        case FileKind::BreaksOff: return zu::test::BrokenOffReply(program.substr(0, 4096), program.size());
        case FileKind::BreaksOffOnce:
            return attempt == 0 ? zu::test::BrokenOffReply(program.substr(0, 4096), program.size())
                                : HttpReply(program, "application/octet-stream");
        case FileKind::HtmlPage: return HttpReply("<html><body>File not found</body></html>");
        case FileKind::CannotRun: return HttpReply(program.substr(0, 64), "application/octet-stream");
    }
    return {};
}

}  // namespace

Q_DECLARE_METATYPE(Scenario)

class TestUpdaterWindow : public QObject {
    Q_OBJECT

private slots:
    void scenario_data();
    void scenario();
    void panelsShowTheDesignFiguresWhileDownloading();
    void panelTexts_data();
    void panelTexts();
    void windowLayout();
};

void TestUpdaterWindow::scenario_data() {
    QTest::addColumn<Scenario>("s");
    const int tries = 3;  // the first try and two retries (the setup below)

    Scenario same;
    same.version = "1.0";
    same.markAfter = "old";
    same.fileRequests = 0;
    same.boxes = {std::string("温馨提示|您已是最新版本！无需更新！")};
    QTest::newRow("same version") << same;

    Scenario good;
    good.markAfter = "new";
    good.mainEnded = true;
    good.startedLog = {"new"};
    good.fileRequests = 1;
    QTest::newRow("different version, good download") << good;

    Scenario retried = good;
    retried.file = FileKind::BreaksOffOnce;
    retried.fileRequests = 2;
    QTest::newRow("download breaks off once, then succeeds") << retried;

    // The version cannot be read again: the download is still tried.
    Scenario versionUnknown = good;
    versionUnknown.updateServer = Host::Unreachable;
    QTest::newRow("unreachable update server, download host answers") << versionUnknown;

    Scenario offline;
    offline.updateServer = Host::Unreachable;
    offline.downloadHost = Host::Unreachable;
    offline.failure = kNoDownloadLink;
    offline.markAfter = "old";
    offline.fileRequests = 0;
    QTest::newRow("unreachable update server and download host") << offline;

    Scenario noMarkers = offline;
    noMarkers.updateServer = Host::Answers;
    noMarkers.downloadHost = Host::Answers;
    noMarkers.page = Page::WithoutMarkers;
    QTest::newRow("download page without markers") << noMarkers;

    Scenario brokeOff;
    brokeOff.file = FileKind::BreaksOff;
    brokeOff.failure = kDownloadBrokeOff;
    brokeOff.markAfter = "old";
    brokeOff.fileRequests = tries;
    QTest::newRow("download breaks off every time") << brokeOff;

    Scenario html = brokeOff;
    html.file = FileKind::HtmlPage;
    html.failure = kNotAProgram;
    html.fileRequests = 1;
    QTest::newRow("downloaded file is not an executable") << html;

    // The main program was ended for the replacement, so it is started again.
    Scenario cannotRun = html;
    cannotRun.file = FileKind::CannotRun;
    cannotRun.failure = kNotStarted;
    cannotRun.mainEnded = true;
    cannotRun.startedLog = {"old"};
    QTest::newRow("new program cannot start") << cannotRun;

    Scenario leftover = good;
    leftover.leftoverDownload = true;
    leftover.boxes = {std::string("|文件已存在,继续下载吗?")};
    QTest::newRow("leftover download, overwrite") << leftover;

    Scenario declined = offline;
    declined.updateServer = Host::Answers;
    declined.downloadHost = Host::Answers;
    declined.leftoverDownload = true;
    declined.overwriteLeftover = false;
    declined.failure = kDownloadDeclined;
    declined.boxes = {std::string("|文件已存在,继续下载吗?")};
    QTest::newRow("leftover download, declined") << declined;
}

void TestUpdaterWindow::scenario() {
    QFETCH(Scenario, s);
    RunDirectory dir;
    dir.InstallProgram("old");
    const pid_t main = dir.StartWaitingProgram();
    QVERIFY(main > 0);
    const std::string downloadPath = dir.programPath() + ".download";
    if (s.leftoverDownload) zu::test::WriteWholeFile(downloadPath, "left over");

    LoopbackServer server;
    std::atomic<int> fileRequests{0};
    const std::string link = server.baseAddress() + "/files/ZuZIvi-new";
    server.SetHandler([&](const zu::test::RecordedRequest& request) {
        if (request.target == "/743724/index.asp?xAction=xReadNews&NewsID=4")
            return HttpReply("<html>News @@" + s.version + "## end</html>");
        if (request.target == "/zu.zip")
            return HttpReply(s.page == Page::WithLink
                                 ? std::string("<p>新版本 下载地址: <a href=\"") + link + std::string("\">点此下载</a></p>")
                                 : std::string("<html>moved elsewhere</html>"));
        if (request.target == "/files/ZuZIvi-new") return FileReply(s.file, fileRequests++);
        return HttpReply("nothing here", "text/plain", 404);
    });

    UpdaterSetup setup;
    setup.runDirectory = dir.path();
    setup.programName = dir.programName();
    setup.updateServer = s.updateServer == Host::Answers ? server.baseAddress() : "http://127.0.0.1:1";
    setup.downloadHost = s.downloadHost == Host::Answers ? server.baseAddress() : "http://127.0.0.1:1";
    setup.downloadRetries = 2;
    setup.retryPause = std::chrono::milliseconds(50);
    setup.stallTimeout = std::chrono::seconds(5);
    setup.startGrace = std::chrono::milliseconds(300);

    std::vector<std::string> boxes;
    bool ended = false;
    UpdaterHooks hooks;
    hooks.box = [&](QMessageBox::Icon, const std::string& title, const std::string& text,
                    QMessageBox::StandardButtons) {
        boxes.push_back(title + "|" + text);
        if (text == std::string("文件已存在,继续下载吗?")) return s.overwriteLeftover ? QMessageBox::Yes : QMessageBox::No;
        return QMessageBox::Ok;
    };
    hooks.end = [&] { ended = true; };

    auto window = std::make_unique<UpdaterWindow>(setup, hooks);
    QSignalSpy failed(window.get(), &UpdaterWindow::UpdateFailed);
    window->show();
    QTRY_VERIFY_WITH_TIMEOUT(ended || failed.count() > 0, 30000);
    QTest::qWait(50);  // nothing more may happen after the end

    if (s.failure.empty()) {
        QVERIFY(ended);
        QCOMPARE(failed.count(), 0);
    } else {
        QVERIFY(!ended);
        QCOMPARE(window->statusBar()->currentMessage(), zu::ToQString(s.failure));
        QVERIFY(!window->findChild<QTimer*>(zu::ToQString("时钟1"))->isActive());
    }
    QCOMPARE(boxes, s.boxes);
    if (s.fileRequests >= 0) QCOMPARE(fileRequests.load(), s.fileRequests);
    // An ended main program is started again only once the window ends, so
    // that it does not end the updater and start it again before the
    // failure was read.
    QTest::qWait(300);
    QVERIFY(dir.StartedLog().size() <= (s.failure.empty() ? s.startedLog.size() : 0u));
    window.reset();

    // A runnable program is in place, and it is the expected version.
    QCOMPARE(dir.CheckProgram(), s.markAfter);
    if (s.mainEnded)
        QVERIFY(RunDirectory::WasEnded(main));
    else
        QVERIFY(RunDirectory::StillRuns(main));
    for (int i = 0; i < 100 && dir.StartedLog().size() < s.startedLog.size(); ++i) QTest::qWait(20);
    QCOMPARE(dir.StartedLog(), s.startedLog);
    // Neither the download nor the backup is left behind.
    QVERIFY(!std::filesystem::exists(downloadPath) || (s.leftoverDownload && !s.overwriteLeftover));
    QVERIFY(!std::filesystem::exists(dir.programPath() + ".backup"));
}

void TestUpdaterWindow::panelsShowTheDesignFiguresWhileDownloading() {
    // A file of 2,621,440 bytes that pauses when half of it has arrived.
    RunDirectory dir;
    dir.InstallProgram("old");
    std::string program = zu::test::StandInBytes("new");
    // Padded to the size; the mark at the very end names this copy "big".
    program.resize(2621440, '\0');
    program.replace(program.size() - 11, 11, "ZU-MARK:big");
    LoopbackServer server;
    const std::string link = server.baseAddress() + "/files/new";
    ScriptedReply file = HttpReply(program, "application/octet-stream");
    file.stallAt = file.bytes.size() - program.size() / 2;
    file.stallAfterBytes = std::chrono::milliseconds(3000);
    server.SetHandler([&](const zu::test::RecordedRequest& request) {
        if (request.target == "/zu.zip")
            return HttpReply(std::string("下载地址: <a href=\"") + link + std::string("\">点此下载"));
        if (request.target == "/files/new") return file;
        return HttpReply("@@2.0##");
    });
    UpdaterSetup setup;
    setup.runDirectory = dir.path();
    setup.programName = dir.programName();
    setup.updateServer = setup.downloadHost = server.baseAddress();
    setup.startGrace = std::chrono::milliseconds(300);
    bool ended = false;
    UpdaterHooks hooks;
    hooks.end = [&] { ended = true; };
    UpdaterWindow window(setup, hooks);
    auto* bar = window.findChild<QProgressBar*>(zu::ToQString("进度条1"));
    window.show();

    QTRY_COMPARE_WITH_TIMEOUT(window.Panel(2)->text(), zu::ToQString("1280KB"), 10000);
    QCOMPARE(window.Panel(0)->text(), zu::ToQString("2560KB"));
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(bar->value(), 50);
    QCOMPARE(window.Panel(3)->text(), QStringLiteral("50%"));
    QVERIFY(window.Panel(1)->text().endsWith(zu::ToQString("kb/秒")));
    QCOMPARE(window.findChild<QTimer*>(zu::ToQString("时钟1"))->interval(), 1000);

    // Finished: the panels and the bar are cleared, the timer stopped.
    QTRY_VERIFY_WITH_TIMEOUT(ended, 15000);
    for (int i = 0; i < 4; ++i) QCOMPARE(window.Panel(i)->text(), QString());
    QCOMPARE(bar->value(), 0);
    QVERIFY(!window.findChild<QTimer*>(zu::ToQString("时钟1"))->isActive());
    QCOMPARE(dir.CheckProgram(), std::string("big"));
}

void TestUpdaterWindow::panelTexts_data() {
    QTest::addColumn<double>("total");
    QTest::addColumn<double>("received");
    QTest::addColumn<double>("speed");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("speedText");
    QTest::addColumn<QString>("receivedText");
    QTest::addColumn<QString>("percentText");
    const QString kbs = zu::ToQString("kb/秒");
    QTest::newRow("half of 2,621,440 bytes") << 2621440.0 << 1310720.0 << 1536.0 << 50 << "1.5" + kbs << "1280KB" << "50%";
    QTest::newRow("nothing yet") << 2621440.0 << 0.0 << 0.0 << 0 << "0" + kbs << "0KB" << "0%";
    QTest::newRow("all of it") << 2621440.0 << 2621440.0 << 1048576.0 << 100 << "1024" + kbs << "2560KB" << "100%";
    QTest::newRow("one byte short") << 2621440.0 << 2621439.0 << 128.0 << 99 << "0.13" + kbs << "2560KB" << "99%";
    QTest::newRow("size unknown") << 0.0 << 5000.0 << 2048.0 << 0 << "2" + kbs << "4.88KB" << "0%";
}

void TestUpdaterWindow::panelTexts() {
    QFETCH(double, total);
    QFETCH(double, received);
    QFETCH(double, speed);
    QFETCH(int, position);
    QFETCH(QString, speedText);
    QFETCH(QString, receivedText);
    QFETCH(QString, percentText);
    UpdaterWindow window(UpdaterSetup{});
    window.Figures().totalSize = total;
    window.Figures().received = received;
    window.Figures().speed = speed;
    window.ShowDownloadProgress();
    QCOMPARE(window.Panel(1)->text(), speedText);
    QCOMPARE(window.findChild<QProgressBar*>(zu::ToQString("进度条1"))->value(), position);
    QCOMPARE(window.Panel(2)->text(), receivedText);
    QCOMPARE(window.Panel(3)->text(), percentText);
}

void TestUpdaterWindow::windowLayout() {
    UpdaterWindow window(UpdaterSetup{});
    QCOMPARE(window.windowTitle(), zu::ToQString("Zu宝宝取名软件正在升级"));
    QCOMPARE(window.geometry(), QRect(50, 50, 457, 87));
    auto* bar = window.findChild<QProgressBar*>(zu::ToQString("进度条1"));
    QVERIFY(bar);
    QCOMPARE(bar->geometry(), QRect(2, 2, 445, 30));
    auto* status = window.findChild<QStatusBar*>(zu::ToQString("状态条1"));
    QVERIFY(status);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(status->findChild<QLabel*>(QString::number(i)), window.Panel(i));
        QVERIFY(window.Panel(i)->text().isEmpty());
    }
    auto* clock = window.findChild<QTimer*>(zu::ToQString("时钟1"));
    QVERIFY(clock);
    QVERIFY(!clock->isActive());
}

QTEST_MAIN(TestUpdaterWindow)
#include "TestUpdaterWindow.moc"
