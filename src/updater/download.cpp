#include "updater/download.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace zu {
namespace {

struct Transfer {
    const DownloadTask* task;
    CURL* handle;
    int fd;
    curl_off_t written = 0;
    curl_off_t announced = -1;
    bool sizeChecked = false;
    bool writeFailed = false;
    bool stalled = false;
    // When bytes last arrived (or the transfer began).
    curl_off_t lastCount = 0;
    std::chrono::steady_clock::time_point lastArrival = std::chrono::steady_clock::now();
};

int Notify(const DownloadTask& task, DownloadNote note, double value) {
    return task.notify ? task.notify(note, value) : 0;
}

bool Cancelled(const DownloadTask& task) { return task.cancel != nullptr && task.cancel->load(); }

size_t OnBody(char* data, size_t, size_t size, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    if (!t.sizeChecked) {
        // The first bytes of the body come after the final reply's headers
        // (bodies of followed redirects are never delivered).
        t.sizeChecked = true;
        curl_off_t length = -1;
        if (curl_easy_getinfo(t.handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
            length >= 0) {
            t.announced = length;
            if (t.task->figures) t.task->figures->totalSize = static_cast<double>(length);
            Notify(*t.task, DownloadNote::SizeKnown, static_cast<double>(length));
        }
    }
    size_t left = size;
    while (left > 0) {
        const ssize_t n = ::write(t.fd, data + (size - left), left);
        if (n < 0) {
            if (errno == EINTR) continue;
            t.writeFailed = true;
            return 0;  // makes curl end the transfer with a write error
        }
        left -= static_cast<size_t>(n);
    }
    t.written += static_cast<curl_off_t>(size);
    if (t.task->figures) t.task->figures->received = static_cast<double>(t.written);
    return size;
}

// Called by curl at least once a second, also while nothing arrives.
int OnProgress(void* user, curl_off_t, curl_off_t now, curl_off_t, curl_off_t) {
    auto& t = *static_cast<Transfer*>(user);
    const auto clock = std::chrono::steady_clock::now();
    if (now != t.lastCount) {
        t.lastCount = now;
        t.lastArrival = clock;
    } else if (clock - t.lastArrival >= t.task->stallTimeout) {
        // curl's own low-speed check averages over several seconds, so a burst
        // of bytes would hide a stall behind it.
        t.stalled = true;
        return 1;
    }
    if (t.task->figures) {
        curl_off_t speed = 0;
        if (curl_easy_getinfo(t.handle, CURLINFO_SPEED_DOWNLOAD_T, &speed) == CURLE_OK)
            t.task->figures->speed = static_cast<double>(speed);
    }
    return Cancelled(*t.task) ? 1 : 0;
}

DownloadOutcome Classify(CURLcode code, const Transfer& t) {
    if (code == CURLE_OK) {
        if (t.announced >= 0 && t.written != t.announced) return DownloadOutcome::Stopped;
        return DownloadOutcome::Finished;
    }
    if (code == CURLE_ABORTED_BY_CALLBACK && !t.stalled && Cancelled(*t.task)) return DownloadOutcome::Cancelled;
    if (code == CURLE_UNSUPPORTED_PROTOCOL || code == CURLE_URL_MALFORMAT) return DownloadOutcome::BadLink;
    return DownloadOutcome::Stopped;
}

}  // namespace

DownloadOutcome RunDownload(const DownloadTask& task) {
    if (task.link.empty()) return DownloadOutcome::BadLink;
    struct stat st {};
    if (::lstat(task.targetPath.c_str(), &st) == 0) {
        if (Notify(task, DownloadNote::FileExists, 0) != 0) return DownloadOutcome::Declined;
        ::unlink(task.targetPath.c_str());
    }
    const int fd = ::open(task.targetPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return DownloadOutcome::Stopped;

    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), &curl_easy_cleanup);
    if (!handle) {
        ::close(fd);
        ::unlink(task.targetPath.c_str());
        return DownloadOutcome::Stopped;
    }
    Transfer t{&task, handle.get(), fd};
    CURL* h = handle.get();
    curl_easy_setopt(h, CURLOPT_URL, task.link.c_str());
    // The link comes from a web page: only plain web addresses are followed.
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, static_cast<long>(task.connectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &t);

    const CURLcode code = curl_easy_perform(h);
    DownloadOutcome outcome = t.writeFailed ? DownloadOutcome::Stopped : Classify(code, t);
    if (::fsync(fd) != 0 && outcome == DownloadOutcome::Finished) outcome = DownloadOutcome::Stopped;
    if (::close(fd) != 0 && outcome == DownloadOutcome::Finished) outcome = DownloadOutcome::Stopped;
    if (outcome != DownloadOutcome::Finished) {
        ::unlink(task.targetPath.c_str());
        return outcome;
    }
    Notify(task, DownloadNote::Finished, static_cast<double>(t.written));
    return outcome;
}

}  // namespace zu
