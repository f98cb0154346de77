// Company naming (page 5): six fetches on a worker thread, every control
// change and prompt made on the GUI thread in the order the run makes them.
#pragma once

#include <QObject>
#include <atomic>
#include <string>
#include <thread>

class QWidget;

namespace zu::naming {

class CompanyNaming : public QObject {
    Q_OBJECT
public:
    inline static constexpr int kFetches = 6;
    inline static constexpr int kProgressMaximum = 306;

    explicit CompanyNaming(QWidget* window);
    // Waits for a run in progress to end.
    ~CompanyNaming() override;

    // The click on "按钮6": speaks, disables the button and starts the worker.
    void Start();
    bool Running() const { return running_; }

private:
    // Which mode the radios ask for, mirrored from the GUI thread so the worker
    // can read it at each fetch without touching a widget: 0 none, 2 or 3.
    int ModeOnGui() const;
    void Run(std::string base, std::string pagePath);
    // Queues `step` to run on the GUI thread.
    template <typename F>
    void OnGui(F step);

    QWidget* window_;
    std::atomic<int> mode_{0};
    std::thread worker_;
    bool running_ = false;  // GUI thread only
};

// The company page of `window` (made by InstallNamingFeatures).
CompanyNaming* CompanyNamingOf(QWidget* window);

}  // namespace zu::naming
