#include "updater/updater_window.h"

#include <unistd.h>

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>

#include "app/platform/process.h"
#include "app/update/start_program.h"
#include "app/update/version.h"
#include "decoration/decoration.h"
#include "settings/config.h"
#include "settings/paths.h"
#include "updater/panel_text.h"
#include "updater/replacement.h"
#include "web/codecs.h"
#include "web/fetch.h"

namespace zu {
namespace {

constexpr std::string_view kDownloadPagePath = "/zu.zip";
constexpr std::string_view kLinkStart = "下载地址: <a href=\"";
constexpr std::string_view kLinkEnd = "\">点此下载";
constexpr std::string_view kBoxTitle = "温馨提示";

QMessageBox::StandardButton DefaultBox(QMessageBox::Icon icon, const std::string& title,
                                       const std::string& text, QMessageBox::StandardButtons buttons) {
    if (std::getenv("ZU_AUTO_ACCEPT_BOXES") != nullptr) {
        std::fprintf(stderr, "%s: %s\n", GbkToUtf8(title).c_str(), GbkToUtf8(text).c_str());
        return buttons.testFlag(QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::Yes;
    }
    QMessageBox box(icon, ToQString(title), ToQString(text), buttons);
    box.setWindowModality(Qt::ApplicationModal);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

UpdaterSetup UpdaterSetup::ForThisProcess() {
    UpdaterSetup setup;
    setup.runDirectory = RunDirectory();
    setup.updateServer = Config().updateServer;
    setup.downloadHost = Config().downloadHost;
    if (const char* name = std::getenv("ZU_UPDATER_PROGRAM_NAME");
        name != nullptr && *name != '\0' && std::string_view(name).find('/') == std::string_view::npos)
        setup.programName = name;
    return setup;
}

UpdaterWindow::UpdaterWindow(UpdaterSetup setup, UpdaterHooks hooks)
    : setup_(std::move(setup)), hooks_(std::move(hooks)) {
    setWindowTitle(ToQString("Zu宝宝取名软件正在升级"));
    setGeometry(50, 50, 457, 87);
    setFixedSize(457, 87);

    auto* central = new QWidget(this);
    setCentralWidget(central);
    bar_ = new QProgressBar(central);
    bar_->setObjectName(ToQString("进度条1"));
    bar_->setGeometry(2, 2, 445, 30);
    bar_->setValue(0);

    // Panels 0..3: file size, speed, bytes received, percentage.
    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(ToQString("状态条1"));
    statusBar_->setSizeGripEnabled(false);
    for (int i = 0; i < 4; ++i) {
        panels_[i] = new QLabel(statusBar_);
        panels_[i]->setObjectName(QString::number(i));
        statusBar_->addWidget(panels_[i], 1);
    }
    setStatusBar(statusBar_);

    clock_ = new QTimer(this);
    clock_->setObjectName(ToQString("时钟1"));
    clock_->setInterval(0);  // stopped until a download starts
    connect(clock_, &QTimer::timeout, this, &UpdaterWindow::ShowDownloadProgress);

    // Nothing of the main program is touched here: it is ended only once a
    // complete new program file is at hand.
    AttachSkin(this);
}

UpdaterWindow::~UpdaterWindow() {
    {
        std::lock_guard lock(pauseMutex_);
        cancel_ = true;
    }
    pauseWake_.notify_all();
    if (worker_.joinable()) worker_.join();
    if (restartOnEnd_) StartProgram(ProgramPath());
}

QLabel* UpdaterWindow::Panel(int index) const { return index >= 0 && index < 4 ? panels_[index] : nullptr; }

void UpdaterWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!checked_) {
        checked_ = true;
        QTimer::singleShot(0, this, &UpdaterWindow::UpdaterVersionCheck);
    }
}

std::string UpdaterWindow::ProgramPath() const { return setup_.runDirectory + "/" + setup_.programName; }
std::string UpdaterWindow::DownloadPath() const { return ProgramPath() + ".download"; }

QMessageBox::StandardButton UpdaterWindow::Box(QMessageBox::Icon icon, const std::string& title,
                                               const std::string& text,
                                               QMessageBox::StandardButtons buttons) {
    return hooks_.box ? hooks_.box(icon, title, text, buttons) : DefaultBox(icon, title, text, buttons);
}

void UpdaterWindow::OnGuiThread(std::function<void()> change) {
    QMetaObject::invokeMethod(this, std::move(change), Qt::QueuedConnection);
}

void UpdaterWindow::UpdaterVersionCheck() {
    if (ReadPublishedVersion(setup_.updateServer) == kVersionTag) {
        // The main program keeps running and its file stays as it is.
        Box(QMessageBox::Information, std::string(kBoxTitle), "您已是最新版本！无需更新！", QMessageBox::Ok);
        if (hooks_.end)
            hooks_.end();
        else
            EndOwnProcess();
        return;
    }
    if (!worker_.joinable()) worker_ = std::thread([this] { DownloadNewVersion(); });
}

void UpdaterWindow::ShowDownloadProgress() {
    panels_[1]->setText(ToQString(SpeedPanelText(figures_.speed)));
    bar_->setValue(ProgressPosition(figures_.received, figures_.totalSize));
    panels_[2]->setText(ToQString(KilobytesPanelText(figures_.received)));
    panels_[3]->setText(ToQString(PercentPanelText(bar_->value())));
}

void UpdaterWindow::DownloadNewVersion() {
    std::string link;
    if (!setup_.downloadHost.empty())
        link = TextBetween(WebFetch(setup_.downloadHost + std::string(kDownloadPagePath)), kLinkStart, kLinkEnd);
    OnGuiThread([this] { bar_->setRange(0, 100); });
    if (link.empty()) return Fail(kNoDownloadLink, false);

    // A download that stops is tried again a few times, with a pause between
    // tries, so that a failing server is not hammered.
    DownloadOutcome outcome = StartDownload(link);
    for (int retry = 0; outcome == DownloadOutcome::Stopped && retry < setup_.downloadRetries; ++retry) {
        if (!PauseBeforeRetry()) return;
        outcome = StartDownload(link);
    }
    switch (outcome) {
        case DownloadOutcome::Finished: break;
        case DownloadOutcome::Stopped: return Fail(kDownloadBrokeOff, false);
        case DownloadOutcome::Declined: return Fail(kDownloadDeclined, false);
        case DownloadOutcome::BadLink: return Fail(kBadDownloadLink, false);
        case DownloadOutcome::Cancelled: return;
    }
    if (!IsExecutableForThisSystem(DownloadPath())) {
        ::unlink(DownloadPath().c_str());
        return Fail(kNotAProgram, false);
    }

    const bool mainWasEnded = PrepareReplacement();
    switch (InstallNewProgram(DownloadPath(), ProgramPath(), setup_.startGrace)) {
        case InstallResult::Started:
            OnGuiThread([this] {
                if (hooks_.end)
                    hooks_.end();
                else
                    EndOwnProcess();
            });
            return;
        case InstallResult::NoBackup:
        case InstallResult::NotReplaced:
            ::unlink(DownloadPath().c_str());
            return Fail(kNotReplaced, mainWasEnded);
        case InstallResult::NotStarted: return Fail(kNotStarted, mainWasEnded);
    }
}

DownloadOutcome UpdaterWindow::StartDownload(const std::string& link) {
    figures_.Reset();
    OnGuiThread([this] {
        clock_->setInterval(1000);
        clock_->start();
    });
    DownloadTask task;
    task.link = link;
    task.targetPath = DownloadPath();
    task.notify = [this](DownloadNote note, double value) { return OnDownloadNote(note, value); };
    task.figures = &figures_;
    task.cancel = &cancel_;
    task.stallTimeout = setup_.stallTimeout;
    const DownloadOutcome outcome = RunDownload(task);
    if (outcome != DownloadOutcome::Finished) {
        OnGuiThread([this] {
            clock_->stop();
            clock_->setInterval(0);
        });
    }
    return outcome;
}

int UpdaterWindow::OnDownloadNote(DownloadNote note, double value) {
    switch (note) {
        case DownloadNote::FileExists: return AskWhetherToOverwrite();
        case DownloadNote::SizeKnown:
            OnGuiThread([this, value] { panels_[0]->setText(ToQString(KilobytesPanelText(value))); });
            return 0;
        case DownloadNote::Finished:
            OnGuiThread([this] {
                clock_->stop();
                clock_->setInterval(0);
                for (QLabel* panel : panels_) panel->clear();
                bar_->setValue(0);
            });
            return 0;
    }
    return 0;
}

int UpdaterWindow::AskWhetherToOverwrite() {
    auto answer = std::make_shared<std::promise<int>>();
    std::future<int> result = answer->get_future();
    OnGuiThread([this, answer] {
        const auto button = Box(QMessageBox::Question, "", "文件已存在,继续下载吗?", QMessageBox::Yes | QMessageBox::No);
        answer->set_value(button == QMessageBox::Yes ? 0 : 1);
    });
    // The window may be closed while the question waits; the answer is then "stop".
    while (result.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
        if (cancel_) return 1;
    try {
        return result.get();
    } catch (const std::future_error&) {
        return 1;
    }
}

bool UpdaterWindow::PauseBeforeRetry() {
    std::unique_lock lock(pauseMutex_);
    return !pauseWake_.wait_for(lock, setup_.retryPause, [this] { return cancel_.load(); });
}

bool UpdaterWindow::PrepareReplacement() {
    const bool ended = EndProcessByName(setup_.programName);
    if (ended) WaitUntilEnded(setup_.programName, std::chrono::seconds(5));
    return ended;
}

void UpdaterWindow::Fail(std::string_view what, bool restartOldProgram) {
    // The old program file is in place. A copy that was ended to replace it is
    // started again when this window ends, not now: at once, it would end this
    // updater before its message was read, find the version still different
    // and start the updater again, round and round.
    if (restartOldProgram) restartOnEnd_ = true;
    OnGuiThread([this, text = ToQString(what)] {
        clock_->stop();
        clock_->setInterval(0);
        statusBar_->showMessage(text);
        emit UpdateFailed(text);
    });
}

}  // namespace zu
