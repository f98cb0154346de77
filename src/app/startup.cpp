// The start-up sequence in one place, in its order: the process-wide objects,
// the leftover processes, the configuration, the window; then the
// window-created step and, when the window is first active, the
// first-activation step. Each feature's own set-up slots in where it belongs.
#include "app/startup.h"

#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/controls.h"
#include "app/main_window.h"
#include "app/platform/process.h"
#include "app/platform/single_instance.h"
#include "app/update/update_check.h"
#include "decoration/decoration.h"
#include "naming/naming.h"
#include "service/builtin_service.h"
#include "settings/config.h"
#include "settings/paths.h"
#include "settings/settings_page.h"
#include "settings/settings_store.h"
#include "speech/speech_engine.h"
#include "speech/voice_check.h"
#include "speech/voice_prompt.h"
#include "web/codecs.h"

namespace zu {

namespace {

// Up to this many leftover "empty" processes are ended at every start.
constexpr int kLeftoverProcessRounds = 72;

void SetBoxText(MainWindow& window, std::string_view box, std::string_view setting) {
    Control<QComboBox>(&window, box)->setEditText(ToQString(ReadSetting(setting)));
}

// A saved mode of exactly "1" is the two-character mode; anything else,
// missing included, the three-character mode.
void RestoreMode(MainWindow& window, std::string_view setting, std::string_view twoRadio,
                 std::string_view threeRadio) {
    const bool two = ReadSetting(setting) == "1";
    Control<QRadioButton>(&window, two ? twoRadio : threeRadio)->setChecked(true);
}

}  // namespace

ServiceConfig WithBuiltInService(ServiceConfig config) {
    std::string builtIn;
    for (std::string* address : {&config.listEndpoint, &config.companyEndpoint, &config.scoringEndpoint,
                                 &config.serviceSite}) {
        if (!address->empty()) continue;
        if (builtIn.empty()) builtIn = StartBuiltInService();
        *address = builtIn;
    }
    return config;
}

void PrepareProcess() {
    // Chromium inside Qt WebEngine refuses to run as root with its sandbox on.
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    // Qt WebEngine shares its GL contexts with the widgets'.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void StartProcess() {
    InstallChineseQtTexts();
    // The process-wide objects, in order: the speech engine (silent when
    // eSpeak NG cannot start), then both instances of the skin library. They
    // live until the process ends; closing the window ends it without clean-up.
    InstallSpeechEngine(CreateEspeakEngine());
    LoadSkinLibraries();

    for (int i = 0; i < kLeftoverProcessRounds; ++i) EndProcessByName("empty");

    SetConfig(WithBuiltInService(ReadServiceConfig()));
}

void WindowCreatedStep(MainWindow& window) {
    // 1. A second copy ends here, before it restores or writes anything.
    EnsureSingleInstance();

    // 2. The sound switch and the page-1 count never carry over between runs.
    WriteSetting("Zusy", "1");
    WriteSetting("Zu4", "100");

    // 3. Mode radios, sound switch and the generation page's entries.
    RestoreMode(window, "Zums", "单选框1", "单选框2");
    RestoreMode(window, "Zums1", "单选框3", "单选框4");
    Control<QCheckBox>(&window, "选择框1")->setChecked(ReadSetting("Zusy") == "1");
    SetBoxText(window, "组合框24", "Zubf1");
    SetBoxText(window, "组合框25", "Zubf2");
    SetBoxText(window, "组合框8", "Zubf3");

    // 4. The voice entry that must not be offered; then the voice entries
    // brought in line with what eSpeak NG really offers, so that the voice
    // check of step 15 tells the truth on this machine.
    RemoveMSSamVoiceEntry();
    SyncVoiceRegistry();

    // 5. The folder of the result pages; an existing or unmakeable folder is fine.
    std::error_code ignored;
    std::filesystem::create_directory(RunDirectory() + "/temp", ignored);

    // 6, 7. Skin and picture buttons.
    AttachSkin(&window);
    SetupWindowImageButtons(&window);

    // 8. The help panel starts closed.
    window.CloseHelpPanel();

    // 9. The entries of pages 1 and 2.
    SetBoxText(window, "组合框1", "Zu");
    SetBoxText(window, "组合框19", "Zu1");
    SetBoxText(window, "组合框20", "Zu2");
    SetBoxText(window, "组合框21", "Zu3");
    SetBoxText(window, "组合框22", "Zu4");
    SetBoxText(window, "组合框23", "Zu5");

    // 10. Sound follows the switch.
    SetSoundOff(!Control<QCheckBox>(&window, "选择框1")->isChecked());

    // 11. The parent name boxes follow the baby's sex.
    ApplySexToParentBoxes(&window);

    // 12. The busy overlays take the pages' colour.
    for (std::string_view name : {"标签1", "标签2", "标签4", "图片框4", "图片框7"}) {
        QWidget* part = Control(&window, name);
        QPalette palette = part->palette();
        palette.setColor(QPalette::Window, QColor(237, 243, 246));
        part->setPalette(palette);
        part->setAutoFillBackground(true);
    }

    // 13. The decoration of page 2.
    window.StartDecorativeAnimation();

    // 14. A leftover updater is ended and its file removed.
    DeleteUpdaterFile();

    // 15. The voice status corner.
    QCoreApplication::processEvents();
    CheckVoiceSupport(&window);
    QCoreApplication::processEvents();
}

void InstallFeatures(MainWindow& window) {
    InstallSettingsPage(&window);
    InstallNamingFeatures(&window);
}

void FirstActivationStep(MainWindow& window) {
    WriteBlankPages(&window);
    WriteUpdaterFile();
    QCoreApplication::processEvents();
    CheckForUpdate(true);
}

int RunProgram(int argc, char** argv, std::function<void(MainWindow&)> afterFirstActivation) {
    PrepareProcess();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZuZIvi"));
    StartProcess();

    MainWindow window;
    WindowCreatedStep(window);
    // The feature handlers are connected after the entries are restored, so
    // that restoring is not taken for the user's editing.
    InstallFeatures(window);
    QObject::connect(&window, &MainWindow::firstActivated, &window, [&window, afterFirstActivation] {
        FirstActivationStep(window);
        if (afterFirstActivation) afterFirstActivation(window);
    });
    window.show();
    return app.exec();
}

}  // namespace zu
