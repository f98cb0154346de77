// The settings page handlers and the self-saving mode radios, driven by clicks
// on a small window that holds controls under their stored names.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QtTest>
#include <memory>

#include "ScopedConfigHome.h"
#include "app/controls.h"
#include "settings/settings_page.h"
#include "settings/settings_store.h"
#include "speech/recording_speech_engine.h"
#include "speech/voice_prompt.h"

using zu::SpeechCall;

Q_DECLARE_METATYPE(std::vector<SpeechCall>)

namespace {

const char* const kCheckBoxes[] = {"选择框1", "选择框4", "选择框5", "选择框7"};

class Fixture : public QWidget {
public:
    Fixture() {
        auto* layout = new QVBoxLayout(this);
        auto add = [&](QWidget* w, const char* name) {
            w->setObjectName(zu::ToQString(name));
            layout->addWidget(w);
        };
        // Two radio groups, one per page, as on the main window.
        auto* page1 = new QWidget(this);
        auto* page2 = new QWidget(this);
        layout->addWidget(page1);
        layout->addWidget(page2);
        auto radio = [&](QWidget* page, const char* name, bool checked) {
            auto* r = new QRadioButton(page);
            r->setObjectName(zu::ToQString(name));
            r->setChecked(checked);
            if (!page->layout()) new QVBoxLayout(page);
            page->layout()->addWidget(r);
        };
        radio(page1, "单选框1", true);
        radio(page1, "单选框2", false);
        radio(page2, "单选框3", true);
        radio(page2, "单选框4", false);
        for (auto name : kCheckBoxes) {
            auto* box = new QCheckBox(this);
            box->setChecked(true);
            add(box, name);
        }
        for (auto name : {"按钮21", "按钮22", "按钮23"}) add(new QPushButton(this), name);
        zu::InstallSettingsPage(this);
    }
    template <typename T>
    T* get(const char* name) const {
        auto* w = zu::Control<T>(this, name);
        if (!w) qFatal("no control %s", name);
        return w;
    }
    void click(const char* name) const { QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton); }
};

std::string Describe(const std::vector<SpeechCall>& calls) {
    std::string out;
    for (const auto& c : calls) out += zu::Describe(c) + " ";
    return out;
}

}  // namespace

class TestSettingsPage : public QObject {
    Q_OBJECT

    std::unique_ptr<zu::test::ScopedConfigHome> home;
    std::unique_ptr<Fixture> window;
    zu::RecordingSpeechEngine* speech = nullptr;

private slots:
    void init() {
        home = std::make_unique<zu::test::ScopedConfigHome>();
        window = std::make_unique<Fixture>();
        window->show();
        speech = &zu::InstallRecordingSpeechEngine();
        zu::SetSoundOff(false);
    }
    void cleanup() {
        window.reset();
        home.reset();
    }

    void modeRadioSavesOnEveryClick_data() {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("value");
        auto row = [](const char* label, const char* radio, const char* setting, const char* value) {
            QTest::newRow(label) << zu::ToQString(radio) << QString(setting) << QString(value);
        };
        row("radio 1 (two characters, page 1)", "单选框1", "Zums", "1");
        row("radio 2 (three characters, page 1)", "单选框2", "Zums", "0");
        row("radio 3 (two characters, page 2)", "单选框3", "Zums1", "1");
        row("radio 4 (three characters, page 2)", "单选框4", "Zums1", "0");
    }
    void modeRadioSavesOnEveryClick() {
        QFETCH(QString, radio);
        QFETCH(QString, setting);
        QFETCH(QString, value);
        const auto name = zu::ToGbk(radio);
        const auto key = setting.toStdString();
        window->click(name.c_str());
        QCOMPARE(zu::ReadSetting(key), value.toStdString());
        // Clicked again while already checked: written again.
        zu::WriteSetting(key, "x");
        window->click(name.c_str());
        QVERIFY(window->get<QRadioButton>(name.c_str())->isChecked());
        QCOMPARE(zu::ReadSetting(key), value.toStdString());
        QVERIFY(speech->Calls().empty());
    }

    void modeRadiosOfThePagesAreIndependent() {
        window->click("单选框2");
        window->click("单选框3");
        QCOMPARE(zu::ReadSetting("Zums"), std::string("0"));
        QCOMPARE(zu::ReadSetting("Zums1"), std::string("1"));
    }

    void confirm_data() {
        QTest::addColumn<bool>("soundOffBefore");
        QTest::addColumn<bool>("switchChecked");
        QTest::addColumn<std::vector<SpeechCall>>("expectedCalls");
        QTest::addColumn<QString>("storedZusy");
        QTest::addColumn<bool>("soundOffAfter");
        const std::vector<SpeechCall> confirmed{SpeechCall::Stopped(), SpeechCall::Rate(1),
                                                SpeechCall::Spoken("设置成功")};
        QTest::newRow("on stays on") << false << true << confirmed << "1" << false;
        QTest::newRow("off turned on") << true << true << confirmed << "1" << false;
        // The empty prompt cuts off what is being said; nothing is said after it.
        QTest::newRow("on turned off") << false << false
                                       << std::vector<SpeechCall>{SpeechCall::Stopped(), SpeechCall::Rate(1)} << "0"
                                       << true;
        QTest::newRow("off stays off") << true << false << std::vector<SpeechCall>{} << "0" << true;
    }
    void confirm() {
        QFETCH(bool, soundOffBefore);
        QFETCH(bool, switchChecked);
        QFETCH(std::vector<SpeechCall>, expectedCalls);
        QFETCH(QString, storedZusy);
        QFETCH(bool, soundOffAfter);
        zu::SetSoundOff(soundOffBefore);
        window->get<QCheckBox>("选择框1")->setChecked(switchChecked);
        QVERIFY2(speech->Calls().empty(), "changing the switch alone does nothing");
        QCOMPARE(zu::ReadSetting("Zusy"), std::string());
        window->click("按钮22");
        QVERIFY2(speech->Calls() == expectedCalls, Describe(speech->Calls()).c_str());
        QCOMPARE(zu::ReadSetting("Zusy"), storedZusy.toStdString());
        QCOMPARE(zu::SoundOff(), soundOffAfter);
    }

    void defaultsCheckEveryBoxAndAnnounce() {
        for (auto name : kCheckBoxes) window->get<QCheckBox>(name)->setChecked(false);
        window->click("按钮21");
        for (auto name : kCheckBoxes) QVERIFY2(window->get<QCheckBox>(name)->isChecked(), name);
        QCOMPARE(speech->SpokenTexts(), std::vector<std::string>{"恢复默认成功"});
        // The sound switch takes effect on "确认", as any change of it does.
        QCOMPARE(zu::ReadSetting("Zusy"), std::string());
        QCOMPARE(zu::SoundOff(), false);
    }

    void defaultsAreSilentWithSoundOff() {
        zu::SetSoundOff(true);
        window->get<QCheckBox>("选择框1")->setChecked(false);
        window->click("按钮21");
        QVERIFY(window->get<QCheckBox>("选择框1")->isChecked());
        QVERIFY(speech->Calls().empty());
        QCOMPARE(zu::SoundOff(), true);
    }

    void cancelDoesNothing() {
        window->get<QCheckBox>("选择框1")->setChecked(false);
        window->click("按钮23");
        QVERIFY(speech->Calls().empty());
        QVERIFY(!window->get<QCheckBox>("选择框1")->isChecked());
        QVERIFY(!std::filesystem::exists(home->registryFile()));
    }
};

QTEST_MAIN(TestSettingsPage)
#include "TestSettingsPage.moc"
