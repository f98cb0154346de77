// Timed scenario: how long the program takes from process start until its
// main window is shown and its first activation is over. Starts the probe
// driver five times, each in a fresh registry and run folder, and prints each
// time and the median. Not a test: the figures depend on the machine.
//   zu_startup_timing [runs]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir dir;
        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir.path() + "/config");
        env.insert("XDG_RUNTIME_DIR", dir.path());
        env.insert("ZU_PROBE_RUN_DIR", dir.path());
        probe.setProcessEnvironment(env);
        probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        probe.start(QStringLiteral(ZU_PROBE_PATH), {QStringLiteral("shown")});
        bool shown = false;
        while (!shown && clock.elapsed() < 60000 && probe.state() != QProcess::NotRunning) {
            if (!probe.waitForReadyRead(100)) continue;
            while (probe.canReadLine()) shown = shown || probe.readLine().trimmed() == "shown";
        }
        const double ms = clock.nsecsElapsed() / 1e6;
        probe.kill();
        probe.waitForFinished();
        if (!shown) {
            std::printf("run %d: the window was not shown\n", i + 1);
            return 1;
        }
        times.push_back(ms);
        std::printf("run %d: %.0f ms\n", i + 1, ms);
    }
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    std::printf("process start to main window shown (%s), median of %d: %.0f ms (min %.0f, max %.0f)\n",
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "default platform" : qgetenv("QT_QPA_PLATFORM").constData(),
                runs, sorted[sorted.size() / 2], sorted.front(), sorted.back());
    return 0;
}
