// A timed scenario: a page-1 run of count 1000 (18 batches of 53 names)
// against the loopback server, from the click on "按钮2" to the list page
// shown in its pane. Prints each run and the median; it judges nothing.
#include <QAbstractButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "naming/naming.h"
#include "naming/pane.h"
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

    // The run ends with the pane loading the new page; the time stops when
    // that load has finished. Between runs the pane goes back to the blank
    // page so that the names counted are the new run's.
    auto* page = naming::PageOf(pane);
    int loads = 0;
    QObject::connect(page, &QWebEnginePage::loadFinished, [&loads](bool) { ++loads; });
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        WriteBlankPages(&window);
        test::WaitUntil([&] { return test::ShowsOwnPage(pane) && test::LinkTexts(pane).empty(); });
        const int before = loads;
        QElapsedTimer clock;
        clock.start();
        Control<QAbstractButton>(&window, "按钮2")->click();
        std::size_t links = 0;
        const bool shown = test::WaitUntil(
            [&] { return loads > before && !page->Loading() && (links = test::LinkTexts(pane).size()) > 0; }, 60000);
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        std::printf("run %d: %.1f ms, %zu names%s\n", run + 1, ms, links, shown ? "" : " (not shown)");
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("count 1000, 18 batches: median %.1f ms over %d runs (min %.1f, max %.1f)\n",
                times[times.size() / 2], runs, times.front(), times.back());
    return 0;
}
