// The program as a process: what the window shows after start-up for a given
// registry file, closing, and a second copy started while the first runs.
// Each case gets its own registry folder, lock folder and run directory.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <map>

#include "web/codecs.h"

using zu::ToQString;

namespace {

constexpr int kStartTimeoutMs = 60000;

QString Q(const char* gbk) { return ToQString(gbk); }

// One isolated place for a run of the program.
struct Sandbox {
    QTemporaryDir dir;
    QString registryFile() const { return dir.path() + "/config/ZuZIvi/registry.reg"; }

    // The registry file holds `lines` (GBK) under HKEY_LOCAL_MACHINE\SOFTWARE.
    bool WriteRegistry(const QByteArray& lines) const {
        QDir().mkpath(dir.path() + "/config/ZuZIvi");
        QFile file(registryFile());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        file.write("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n" + lines);
        return true;
    }
    QByteArray Registry() const {
        QFile file(registryFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void Prepare(QProcess& process) const {
        QDir().mkpath(dir.path() + "/run");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir.path() + "/config");
        env.insert("XDG_RUNTIME_DIR", dir.path());
        env.insert("ZU_PROBE_RUN_DIR", dir.path() + "/run");
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::SeparateChannels);
    }
};

// Waits until the process prints `line` on its output (or ends).
bool WaitForLine(QProcess& process, const QByteArray& line, QByteArray* seen) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kStartTimeoutMs) {
        if (process.canReadLine() || process.waitForReadyRead(200)) {
            while (process.canReadLine()) {
                const QByteArray got = process.readLine().trimmed();
                seen->append(got + '\n');
                if (got == line) return true;
            }
        }
        if (process.state() == QProcess::NotRunning) return false;
    }
    return false;
}

}  // namespace

class TestStartupProcess : public QObject {
    Q_OBJECT

private slots:
    // What the boxes, radios and check boxes show after start-up.
    void restore_data() {
        QTest::addColumn<QByteArray>("registry");  // nothing: no file at all
        QTest::addColumn<QStringList>("expected");  // "name=value" lines of the probe's dump

        const QStringList firstStart = {
            Q("组合框1="), Q("组合框19="), Q("组合框20="), Q("组合框21="), Q("组合框22=100"), Q("组合框23="),
            Q("组合框24="), Q("组合框25="), Q("组合框8="),
            Q("单选框1=0"), Q("单选框2=1"), Q("单选框3=0"), Q("单选框4=1"), Q("单选框8=1"), Q("单选框7=0"),
            Q("选择框1=1")};
        QTest::newRow("no saved values") << QByteArray() << firstStart;
        QTest::newRow("empty registry file") << QByteArray("") << firstStart;
        QTest::newRow("saved entries")
            << QByteArray("\"Zu\"=\"张\"\n\"Zu1\"=\"李\"\n\"Zu2\"=\"建国\"\n\"Zu3\"=\"美丽\"\n\"Zu4\"=\"1000\"\n"
                          "\"Zu5\"=\"300\"\n\"Zubf1\"=\"王\"\n\"Zubf2\"=\"子\"\n\"Zubf3\"=\"200\"\n"
                          "\"Zums\"=\"1\"\n\"Zums1\"=\"1\"\n\"Zusy\"=\"0\"\n")
            << QStringList{Q("组合框1=张"), Q("组合框19=李"), Q("组合框20=建国"), Q("组合框21=美丽"),
                           Q("组合框22=100"), Q("组合框23=300"), Q("组合框24=王"), Q("组合框25=子"),
                           Q("组合框8=200"), Q("单选框1=1"), Q("单选框2=0"), Q("单选框3=1"), Q("单选框4=0"),
                           Q("单选框8=1"), Q("选择框1=1")};
        const struct { const char* tag; const char* value; } modes[] = {
            {"Zums 0", "\"0\""}, {"Zums 2", "\"2\""}, {"Zums blank 1", "\" 1\""}, {"Zums 1 and more", "\"11\""},
            {"Zums REG_DWORD 1", "dword:00000001"}};
        for (const auto& m : modes) {
            QTest::newRow(m.tag) << QByteArray("\"Zums\"=") + m.value + "\n\"Zums1\"=\"1\"\n"
                                 << QStringList{Q("单选框1=0"), Q("单选框2=1"), Q("单选框3=1"), Q("单选框4=0")};
        }
        QTest::newRow("texts outside the lists, numbers as REG_DWORD")
            << QByteArray("\"Zu5\"=\"77\"\n\"Zubf3\"=\"abc\"\n\"Zu\"=dword:00000005\n\"Zu1\"=\"a\\\\b\"\n")
            << QStringList{Q("组合框23=77"), Q("组合框8=abc"), Q("组合框1="), Q("组合框19=a\\b")};
    }

    void restore() {
        QFETCH(QByteArray, registry);
        QFETCH(QStringList, expected);
        Sandbox box;
        QVERIFY(box.dir.isValid());
        if (!registry.isNull()) QVERIFY(box.WriteRegistry(registry));

        QProcess probe;
        box.Prepare(probe);
        probe.start(QStringLiteral(ZU_PROBE_PATH), {QStringLiteral("dump")});
        QVERIFY(probe.waitForFinished(kStartTimeoutMs));
        QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
        QCOMPARE(probe.exitCode(), 0);

        std::map<QString, QString> shown;
        for (const QByteArray& line : probe.readAllStandardOutput().split('\n')) {
            const QString text = QString::fromUtf8(line);
            const qsizetype eq = text.indexOf(u'=');
            if (eq > 0) shown[text.left(eq)] = text.mid(eq + 1);
        }
        for (const QString& pair : expected) {
            const QString name = pair.section(u'=', 0, 0), value = pair.section(u'=', 1);
            QVERIFY2(shown.count(name), qPrintable(name));
            QCOMPARE(shown[name], value);
        }
        // Every start stores the sound switch on and the page-1 count 100.
        const QString stored = ToQString(box.Registry().toStdString());
        QVERIFY2(stored.contains(u"\"Zusy\"=\"1\""), qPrintable(stored));
        QVERIFY2(stored.contains(u"\"Zu4\"=\"100\""), qPrintable(stored));
        // The first activation has run (also without a window system): the
        // blank result pages and the updater file are in the run directory.
        for (const char* file : {"/run/temp/liebiao.html", "/run/temp/xingmingfengxi.htm",
                                 "/run/temp/gongsiquming.htm", "/run/LiveUpdate"})
            QVERIFY2(QFile::exists(box.dir.path() + file), file);
    }

    // The result pages carry no charset, and the engine guesses it by the
    // desktop's language; the panes read GBK under every one of them.
    void pagesReadAsGbkUnderAnyLanguage_data() {
        QTest::addColumn<QString>("lang");
        for (const char* lang : {"C.UTF-8", "en_US.UTF-8", "de_DE.UTF-8", "ru_RU.UTF-8", "ja_JP.UTF-8", "ko_KR.UTF-8",
                                 "zh_TW.UTF-8", "zh_CN.UTF-8"})
            QTest::newRow(lang) << QString::fromLatin1(lang);
    }
    void pagesReadAsGbkUnderAnyLanguage() {
        QFETCH(QString, lang);
        Sandbox box;
        QProcess probe;
        box.Prepare(probe);
        QProcessEnvironment env = probe.processEnvironment();
        for (const char* name : {"LANG", "LC_ALL", "LANGUAGE"}) env.insert(QString::fromLatin1(name), lang);
        probe.setProcessEnvironment(env);
        probe.start(QStringLiteral(ZU_PROBE_PATH), {QStringLiteral("readback")});
        QVERIFY(probe.waitForFinished(kStartTimeoutMs));
        QCOMPARE(probe.exitCode(), 0);
        const QString out = QString::fromUtf8(probe.readAllStandardOutput()).trimmed();
        QCOMPARE(out, Q("link=张伟\nlink=李娜\nlink=王芳"));
    }

    // Closing the window ends the process at once with exit code 0: nothing
    // after the close request runs.
    void closeEndsProcess() {
        Sandbox box;
        QProcess probe;
        box.Prepare(probe);
        probe.start(QStringLiteral(ZU_PROBE_PATH), {QStringLiteral("close")});
        QByteArray seen;
        QVERIFY2(WaitForLine(probe, "shown", &seen), seen.constData());
        QVERIFY(probe.waitForFinished(kStartTimeoutMs));
        seen += probe.readAllStandardOutput();
        QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
        QCOMPARE(probe.exitCode(), 0);
        QVERIFY2(!seen.contains("close returned"), seen.constData());
    }

    // A second copy ends with exit code 0 before it restores or writes
    // anything; the first goes on; once the first has ended a new copy starts.
    void secondCopy() {
        Sandbox box;
        QProcess first;
        box.Prepare(first);
        first.start(QStringLiteral(ZU_PROBE_PATH), {QStringLiteral("shown")});
        QByteArray seen;
        QVERIFY2(WaitForLine(first, "shown", &seen), seen.constData());

        // A registry the second copy would change if it got as far as writing.
        QVERIFY(box.WriteRegistry("\"Zu4\"=\"555\"\n\"Zusy\"=\"0\"\n"));
        const QByteArray before = box.Registry();

        QProcess second;
        box.Prepare(second);
        second.start(QStringLiteral(ZU_PROGRAM_PATH), {});
        QVERIFY(second.waitForFinished(kStartTimeoutMs));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(box.Registry(), before);
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        QVERIFY(first.waitForFinished(kStartTimeoutMs));

        QProcess third;
        box.Prepare(third);
        third.start(QStringLiteral(ZU_PROBE_PATH), {QStringLiteral("dump")});
        QVERIFY(third.waitForFinished(kStartTimeoutMs));
        QCOMPARE(third.exitCode(), 0);
        QVERIFY(third.readAllStandardOutput().contains(Q("组合框22=100").toUtf8()));
    }
};

QTEST_GUILESS_MAIN(TestStartupProcess)
#include "TestStartupProcess.moc"
