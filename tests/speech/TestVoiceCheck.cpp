// The voice support check and the registry view of the voices that it reads.
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

#include "ScopedConfigHome.h"
#include "app/controls.h"
#include "settings/registry.h"
#include "speech/espeak_engine.h"
#include "speech/voice_check.h"

namespace {

constexpr auto LM = zu::RegistryRoot::LocalMachine;
constexpr auto CU = zu::RegistryRoot::CurrentUser;

const std::string kTokens = "SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\";

class Corner : public QWidget {
public:
    Corner() {
        auto* layout = new QVBoxLayout(this);
        link = new QLabel(this);
        link->setObjectName(zu::ToQString("超级链接框20"));
        layout->addWidget(link);
        auto* icon = new QPushButton(this);
        icon->setObjectName(zu::ToQString("按钮26"));
        layout->addWidget(icon);
    }
    QLabel* link;
    std::string caption() const { return zu::ToGbk(link->text()); }
    QColor colour() const { return link->palette().color(QPalette::WindowText); }
};

zu::EspeakStatus Started(std::string identifier, std::string name, std::string language) {
    zu::EspeakVoice voice{std::move(identifier), std::move(name), std::move(language)};
    return {true, {voice}, voice};
}

}  // namespace

class TestVoiceCheck : public QObject {
    Q_OBJECT
    std::unique_ptr<zu::test::ScopedConfigHome> home;

private slots:
    void init() { home = std::make_unique<zu::test::ScopedConfigHome>(); }
    void cleanup() { home.reset(); }

    void availability_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("available");
        const QString head = "REGEDIT4\n\n";
        QTest::newRow("nothing") << QString() << false;
        QTest::newRow("Mei-Ling 804") << head + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\"
                                                "ScanSoftMei-Ling_Full_22kHz]\n\"407\"=\"804\"\n"
                                      << true;
        QTest::newRow("Mei-Ling other text") << head +
                                                    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\"
                                                    "ScanSoftMei-Ling_Full_22kHz]\n\"407\"=\"804 \"\n"
                                             << false;
        QTest::newRow("Lili") << head + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\"
                                        "MS-Lili-2052-20-DSK]\n\"CLSID\"=\"{x}\"\n"
                              << true;
        QTest::newRow("Anna, no Chinese voice") << head +
                                                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices\\"
                                                       "Tokens\\MS-Anna-1033-20-DSK]\n\"CLSID\"=\"{x}\"\n"
                                                << true;
        QTest::newRow("empty CLSID") << head + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices\\Tokens\\"
                                               "MS-Lili-2052-20-DSK]\n\"CLSID\"=\"\"\n"
                                     << false;
        QTest::newRow("default token") << head + "[HKEY_CURRENT_USER\\Software\\Microsoft\\Speech\\Voices]\n"
                                                 "\"DefaultTokenId\"=\"t\"\n"
                                       << true;
        QTest::newRow("default token as number") << head +
                                                        "[HKEY_CURRENT_USER\\Software\\Microsoft\\Speech\\Voices]\n"
                                                        "\"DefaultTokenId\"=dword:00000001\n"
                                                 << false;
        QTest::newRow("default token under the wrong root")
            << head + "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Speech\\Voices]\n\"DefaultTokenId\"=\"t\"\n"
            << false;
    }
    void availability() {
        QFETCH(QString, file);
        QFETCH(bool, available);
        if (!file.isEmpty()) home->WriteRegistryFile(file.toStdString());
        QCOMPARE(zu::VoicesAvailable(), available);

        Corner corner;
        zu::CheckVoiceSupport(&corner);
        QCOMPARE(corner.caption(), std::string(available ? "您的语音支持库已安装！" : "您的语音支持库未安装！"));
        QCOMPARE(corner.colour(), available ? QColor(0, 255, 0) : QColor(255, 0, 0));
    }

    void mssamValueElseKeyIsRemoved() {
        zu::RegistryWriteText(LM, kTokens + "MSSam\\CLSID", "{sam}");
        zu::RegistryWriteText(LM, kTokens + "MSSam", "value named like the voice");
        zu::RemoveMSSamVoiceEntry();
        QCOMPARE(zu::RegistryReadText(LM, kTokens + "MSSam"), std::string());
        QCOMPARE(zu::RegistryReadText(LM, kTokens + "MSSam\\CLSID"), std::string("{sam}"));
        zu::RegistryDelete(LM, kTokens + "MSSam\\CLSID");
        zu::RemoveMSSamVoiceEntry();
        QVERIFY(zu::RegistrySubkeys(LM, kTokens.substr(0, kTokens.size() - 1)).empty());
    }

    void registryFollowsEspeak() {
        zu::SyncVoiceRegistry(Started("sit/cmn", "Chinese (Mandarin, latin as English)", "cmn"));
        const std::string token = kTokens + "ZuEspeakNG-sit-cmn\\";
        QCOMPARE(zu::RegistryReadText(CU, zu::kDefaultTokenIdPath),
                 "HKEY_LOCAL_MACHINE\\" + token.substr(0, token.size() - 1));
        QCOMPARE(zu::RegistryReadText(LM, token), std::string("Chinese (Mandarin, latin as English)"));
        QCOMPARE(zu::RegistryReadText(LM, token + "Identifier"), std::string("sit/cmn"));
        QCOMPARE(zu::RegistryReadText(LM, token + "Language"), std::string("cmn"));
        QVERIFY(zu::VoicesAvailable());

        // Another voice replaces the first token.
        zu::SyncVoiceRegistry(Started("gmw/en", "English (Great Britain)", "en"));
        QCOMPARE(zu::RegistrySubkeys(LM, kTokens.substr(0, kTokens.size() - 1)),
                 std::vector<std::string>{"ZuEspeakNG-gmw-en"});

        // eSpeak NG cannot start: what was written before goes, and the check says so.
        zu::RegistryWriteText(LM, kTokens + "MS-Other\\CLSID", "{other}");
        zu::SyncVoiceRegistry(zu::EspeakStatus{});
        QCOMPARE(zu::RegistryReadText(CU, zu::kDefaultTokenIdPath), std::string());
        QCOMPARE(zu::RegistrySubkeys(LM, kTokens.substr(0, kTokens.size() - 1)),
                 std::vector<std::string>{"MS-Other"});
        QVERIFY(!zu::VoicesAvailable());
    }

    void foreignDefaultTokenIsKept() {
        zu::RegistryWriteText(CU, zu::kDefaultTokenIdPath, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Voice");
        zu::SyncVoiceRegistry(zu::EspeakStatus{true, {}, std::nullopt});
        QCOMPARE(zu::RegistryReadText(CU, zu::kDefaultTokenIdPath),
                 std::string("HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Voice"));
    }

    void thisMachineReportsItsEspeakVoice() {
        zu::SyncVoiceRegistry();
        Corner corner;
        zu::CheckVoiceSupport(&corner);
        const bool started = zu::EspeakNgStatus().started && zu::EspeakNgStatus().chosen;
        QCOMPARE(zu::VoicesAvailable(), started);
        QVERIFY2(started, "eSpeak NG with espeak-ng-data is a dependency of the project");
    }

    void pressOnTheLinkChecksAgain() {
        Corner corner;
        corner.show();
        zu::CheckVoiceSupport(&corner);
        zu::InstallVoiceCheckLink(&corner);
        QCOMPARE(corner.caption(), std::string("您的语音支持库未安装！"));
        zu::RegistryWriteText(CU, zu::kDefaultTokenIdPath, "t");
        QTest::mouseClick(corner.link, Qt::RightButton);
        QCOMPARE(corner.caption(), std::string("您的语音支持库未安装！"));
        QTest::mousePress(corner.link, Qt::LeftButton);
        QCOMPARE(corner.caption(), std::string("您的语音支持库已安装！"));
        QCOMPARE(corner.colour(), QColor(0, 255, 0));
    }
};

QTEST_MAIN(TestVoiceCheck)
#include "TestVoiceCheck.moc"
