// Downloading one file over HTTP with progress figures and notifications
// (libcurl, one easy handle per download).
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>

namespace zu {

// What a download tells its owner, on the downloading thread.
enum class DownloadNote {
    FileExists = 18,  // the target file exists already: 0 lets the download go on, 1 stops it
    SizeKnown = 3,    // the reply announced the file's size; the value is that size in bytes
    Finished = 4,     // the file is complete (and as long as announced)
};

// Figures of the running download: written by the downloading thread, read by
// the window's timer on the GUI thread.
struct DownloadFigures {
    std::atomic<double> totalSize{0};  // bytes; 0 while no size was announced
    std::atomic<double> received{0};   // bytes so far
    std::atomic<double> speed{0};      // bytes per second
    void Reset() {
        totalSize = 0;
        received = 0;
        speed = 0;
    }
};

enum class DownloadOutcome {
    Finished,   // complete; the Finished note was given
    Stopped,    // the transfer failed or broke off: worth another try
    Declined,   // the FileExists note was answered with "stop"
    BadLink,    // not an http(s) address that can be used: another try would not help
    Cancelled,  // the owner asked the download to end
};

struct DownloadTask {
    std::string link;
    std::string targetPath;
    std::function<int(DownloadNote note, double value)> notify;  // may be empty
    DownloadFigures* figures = nullptr;                          // may be null
    const std::atomic<bool>* cancel = nullptr;                   // may be null
    std::chrono::seconds connectTimeout{15};
    // A transfer that delivers nothing for this long is abandoned.
    std::chrono::seconds stallTimeout{30};
};

// Downloads task.link into task.targetPath (created afresh, mode 0600) and
// returns when the download has ended. A download that did not finish leaves no
// file behind.
DownloadOutcome RunDownload(const DownloadTask& task);

}  // namespace zu
