// Timed scenario: how long the program takes from process start until its
// main window is shown and its first activation is over. Starts the probe
// driver five times, each in a fresh registry and run folder, and prints each
// time and the median. Not a test: the figures depend on the machine.
//   zu_startup_timing [runs] [--configured]
// With --configured every service address is set (to a port nobody listens
// on: start-up does not fetch), so the built-in service is not started; the
// difference between both figures is what the built-in service costs.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool configured = args.contains(QStringLiteral("--configured"));
    int runs = 5;
    for (const QString& a : args)
        if (a.toInt() > 0) runs = a.toInt();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir dir;
        if (configured) {
            QDir().mkpath(dir.path() + "/config/ZuZIvi");
            QFile registry(dir.path() + "/config/ZuZIvi/registry.reg");
            if (!registry.open(QIODevice::WriteOnly)) return 1;
            registry.write("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\ZuZIvi\\Services]\n");
            for (const char* name : {"ListEndpoint", "CompanyEndpoint", "ScoringEndpoint", "ServiceSite"})
                registry.write(QByteArray("\"") + name + "\"=\"http://127.0.0.1:9\"\n");
        }
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
    std::printf("process start to main window shown (%s, %s), median of %d: %.0f ms (min %.0f, max %.0f)\n",
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "default platform" : qgetenv("QT_QPA_PLATFORM").constData(),
                configured ? "outside service configured" : "built-in service",
                runs, sorted[sorted.size() / 2], sorted.front(), sorted.back());
    return 0;
}
