// The updater's only window: it checks the published version once more,
// downloads the new main program with its progress shown, and puts it in place
// of the old one only when the download is complete and can run.
#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "updater/download.h"

class QLabel;
class QProgressBar;
class QStatusBar;
class QTimer;

namespace zu {

// What the window shows in its status bar when the update did not happen.
inline constexpr std::string_view kNoDownloadLink = "下载页上没有找到新版本的下载地址，升级未完成。";
inline constexpr std::string_view kBadDownloadLink = "新版本的下载地址无法使用，升级未完成。";
inline constexpr std::string_view kDownloadBrokeOff = "新版本下载多次中断，升级未完成。";
inline constexpr std::string_view kDownloadDeclined = "下载已取消，升级未完成。";
inline constexpr std::string_view kNotAProgram = "下载的文件不是可以运行的程序，升级未完成。";
inline constexpr std::string_view kNotReplaced = "无法替换主程序文件，升级未完成。";
inline constexpr std::string_view kNotStarted = "新版本无法启动，已恢复原来的程序。";

// Where the updater works and whom it asks.
struct UpdaterSetup {
    std::string runDirectory;          // the folder of the main program file
    std::string programName = "ZuZIvi";  // the main program's file and executable name
    std::string updateServer;          // base address of the update page ("" = none)
    std::string downloadHost;          // base address of the download page ("" = none)
    int downloadRetries = 3;           // further tries after a download that stopped
    std::chrono::milliseconds retryPause{3000};
    std::chrono::seconds stallTimeout{30};
    // A new program that fails within this time counts as not started.
    std::chrono::milliseconds startGrace{1000};

    // This process's setup: the updater's own folder, the configured addresses
    // (zu::Config()), and for tests only the main program name from the
    // environment variable ZU_UPDATER_PROGRAM_NAME (a plain file name).
    static UpdaterSetup ForThisProcess();
};

// The updater's ways out to the user and to its own end, replaceable by tests.
struct UpdaterHooks {
    // Shows a box (GBK title and text) and returns the button pressed. The
    // default is an application-modal box without an owner; with the environment
    // variable ZU_AUTO_ACCEPT_BOXES set (tests only) the text goes to stderr and
    // the first of OK / Yes is taken.
    std::function<QMessageBox::StandardButton(QMessageBox::Icon icon, const std::string& title,
                                              const std::string& text,
                                              QMessageBox::StandardButtons buttons)>
        box;
    // Ends the updater's process; the default is zu::EndOwnProcess().
    std::function<void()> end;
};

class UpdaterWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit UpdaterWindow(UpdaterSetup setup, UpdaterHooks hooks = {});
    // Stops a running download and waits for the worker thread. A main program
    // that was ended for an update that then failed is started again here.
    ~UpdaterWindow() override;

    // Runs at the first activation: the same version ends the updater after a
    // box; any other (or an unknown) version starts DownloadNewVersion on a
    // worker thread.
    void UpdaterVersionCheck();
    // The timer's handler: speed, bar position, bytes received and percentage.
    void ShowDownloadProgress();

    DownloadFigures& Figures() { return figures_; }
    QLabel* Panel(int index) const;

signals:
    // The update did not happen; `what` is the text the window shows.
    void UpdateFailed(const QString& what);

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::string ProgramPath() const;
    std::string DownloadPath() const;
    QMessageBox::StandardButton Box(QMessageBox::Icon icon, const std::string& title,
                                    const std::string& text, QMessageBox::StandardButtons buttons);
    // Runs `change` on the GUI thread (dropped if the window is gone by then).
    void OnGuiThread(std::function<void()> change);

    // Worker thread.
    void DownloadNewVersion();
    DownloadOutcome StartDownload(const std::string& link);
    int OnDownloadNote(DownloadNote note, double value);
    int AskWhetherToOverwrite();
    bool PauseBeforeRetry();
    // Ends the main program so that its file can be replaced; true when a
    // running copy was ended (it must then be started again if the update fails).
    bool PrepareReplacement();
    void Fail(std::string_view what, bool restartOldProgram);

    UpdaterSetup setup_;
    UpdaterHooks hooks_;
    QProgressBar* bar_;
    QStatusBar* statusBar_;
    QLabel* panels_[4];
    QTimer* clock_;
    bool checked_ = false;

    DownloadFigures figures_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> restartOnEnd_{false};
    std::mutex pauseMutex_;
    std::condition_variable pauseWake_;
    std::thread worker_;
};

}  // namespace zu
