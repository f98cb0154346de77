// A timed scenario: a page-1 run of count 1000 (18 batches of 53 names)
// against the loopback server, from the click on "按钮2" to the list page
// shown in its pane. Prints each run and the median; it judges nothing.
#include <QAbstractButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "naming/naming.h"
#include "naming_fixture.h"
#include "settings/config.h"
#include "settings/paths.h"
#include "speech/recording_speech_engine.h"
#include "support/loopback_server.h"

using namespace zu;

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    SetRunDirectory(home.path().toStdString());
    std::filesystem::create_directories(home.path().toStdString() + "/temp");
    InstallRecordingSpeechEngine();

    test::LoopbackServer server;
    std::vector<std::string> names;
    for (int i = 0; i < 53; ++i) names.push_back(i % 2 ? "张伟明" : "李小龙");
    const std::string body = test::ListReplyBody(names);
    server.SetHandler([&body](const test::RecordedRequest&) { return test::HttpReply(body); });
    ServiceConfig config;
    config.listEndpoint = config.companyEndpoint = config.scoringEndpoint = server.baseAddress();
    SetConfig(config);

    MainWindow window;
    window.show();
    InstallNamingFeatures(&window);
    WriteBlankPages(&window);
    auto* pane = Control<QWebEngineView>(&window, "超文本浏览框1");
    test::WaitUntil([&] { return test::ShowsOwnPage(pane); });
    Control<QComboBox>(&window, "组合框1")->setCurrentText(ToQString("张"));
    Control<QComboBox>(&window, "组合框22")->setCurrentText(QStringLiteral("1000"));

    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        Control<QAbstractButton>(&window, "按钮2")->click();
        const bool shown = test::WaitUntil([&] { return test::ShowsOwnPage(pane); }, 60000);
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        const std::size_t links = test::LinkTexts(pane).size();
        std::printf("run %d: %.1f ms, %zu names%s\n", run + 1, ms, links, shown ? "" : " (not shown)");
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("count 1000, 18 batches: median %.1f ms over %d runs (min %.1f, max %.1f)\n",
                times[times.size() / 2], runs, times.front(), times.back());
    return 0;
}
