#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>

#include "run_directory.h"
#include "support/loopback_server.h"
#include "updater/download.h"

namespace zu {
namespace {

using test::HttpReply;
using test::LoopbackServer;
using test::RunDirectory;
using test::ScriptedReply;

// The notes a download gave, in order, with their values.
struct NoteLog {
    std::mutex mutex;
    std::vector<std::pair<DownloadNote, double>> notes;
    int fileExistsAnswer = 0;
    int operator()(DownloadNote note, double value) {
        std::lock_guard lock(mutex);
        notes.emplace_back(note, value);
        return note == DownloadNote::FileExists ? fileExistsAnswer : 0;
    }
};

std::string Body(std::size_t size) {
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>(i * 7 + 3);
    return body;
}

class DownloadTest : public ::testing::Test {
protected:
    DownloadOutcome Download(const std::string& path = "/file") {
        DownloadTask task;
        task.link = server.baseAddress() + path;
        task.targetPath = target;
        task.notify = [this](DownloadNote note, double value) { return log(note, value); };
        task.figures = &figures;
        task.stallTimeout = std::chrono::seconds(2);
        return RunDownload(task);
    }
    LoopbackServer server;
    RunDirectory dir;
    std::string target = dir.File("ZuZIvi.download");
    NoteLog log;
    DownloadFigures figures;
};

TEST_F(DownloadTest, CompleteFileIsWrittenWithSizeAndFinishedNotes) {
    const std::string body = Body(2621440);
    server.Enqueue(HttpReply(body, "application/octet-stream"));
    ASSERT_EQ(Download(), DownloadOutcome::Finished);
    EXPECT_EQ(test::ReadWholeFile(target), body);
    const std::vector<std::pair<DownloadNote, double>> expected{{DownloadNote::SizeKnown, 2621440.0},
                                                                {DownloadNote::Finished, 2621440.0}};
    EXPECT_EQ(log.notes, expected);
    EXPECT_EQ(figures.totalSize, 2621440.0);
    EXPECT_EQ(figures.received, 2621440.0);
}

TEST_F(DownloadTest, RedirectIsFollowedAndOnlyTheFinalBodyKept) {
    server.Enqueue(test::RedirectReply(302, server.baseAddress() + "/real"));
    server.Enqueue(HttpReply("ELF-ish bytes", "application/octet-stream"));
    ASSERT_EQ(Download(), DownloadOutcome::Finished);
    EXPECT_EQ(test::ReadWholeFile(target), "ELF-ish bytes");
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[1].target, "/real");
}

TEST_F(DownloadTest, FileWithoutAnnouncedSizeFinishesWithoutSizeNote) {
    ScriptedReply reply;
    reply.bytes = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nwhole body until close";
    server.Enqueue(reply);
    ASSERT_EQ(Download(), DownloadOutcome::Finished);
    EXPECT_EQ(test::ReadWholeFile(target), "whole body until close");
    ASSERT_EQ(log.notes.size(), 1u);
    EXPECT_EQ(log.notes[0].first, DownloadNote::Finished);
    EXPECT_EQ(figures.totalSize, 0.0);
}

struct FailureCase {
    const char* name;
    ScriptedReply reply;
};

class DownloadFailureTest : public DownloadTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(DownloadFailureTest, StoppedDownloadLeavesNoFileAndNoFinishedNote) {
    server.Enqueue(GetParam().reply);
    EXPECT_EQ(Download(), DownloadOutcome::Stopped);
    EXPECT_FALSE(std::filesystem::exists(target));
    for (const auto& [note, value] : log.notes) EXPECT_NE(note, DownloadNote::Finished);
}

ScriptedReply Stalled() {
    ScriptedReply reply = HttpReply(std::string(1000, 'x'), "application/octet-stream");
    reply.stallAt = reply.bytes.size() - 500;
    reply.stallAfterBytes = std::chrono::milliseconds(6000);
    return reply;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, DownloadFailureTest,
    ::testing::Values(FailureCase{"BrokenOff", test::BrokenOffReply(std::string(1000, 'x'), 4000)},
                      FailureCase{"NotFound", HttpReply("<html>gone</html>", "text/html", 404)},
                      FailureCase{"ServerError", HttpReply("busy", "text/plain", 503)},
                      FailureCase{"EmptyReply", test::EmptyReply()},
                      FailureCase{"StalledTransfer", Stalled()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadTest, UnreachableHostStops) {
    DownloadTask task;
    task.link = "http://127.0.0.1:1/file";
    task.targetPath = target;
    EXPECT_EQ(RunDownload(task), DownloadOutcome::Stopped);
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(DownloadTest, LinksThatAreNoWebAddressesAreRefusedWithoutARequest) {
    for (const std::string& link : {std::string("file:///etc/passwd"), std::string("ftp://127.0.0.1/zu"),
                                   std::string("not a link"), std::string()}) {
        DownloadTask task;
        task.link = link;
        task.targetPath = target;
        EXPECT_EQ(RunDownload(task), DownloadOutcome::BadLink) << link;
        EXPECT_FALSE(std::filesystem::exists(target)) << link;
    }
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(DownloadTest, ExistingTargetIsAskedAboutFirst) {
    for (const int answer : {1, 0}) {
        test::WriteWholeFile(target, "left over from before");
        log.notes.clear();
        log.fileExistsAnswer = answer;
        server.Enqueue(HttpReply("fresh", "application/octet-stream"));
        const DownloadOutcome outcome = Download();
        ASSERT_FALSE(log.notes.empty());
        EXPECT_EQ(log.notes[0].first, DownloadNote::FileExists);
        if (answer == 1) {
            EXPECT_EQ(outcome, DownloadOutcome::Declined);
            EXPECT_EQ(test::ReadWholeFile(target), "left over from before");
            EXPECT_TRUE(server.Requests().empty());
        } else {
            EXPECT_EQ(outcome, DownloadOutcome::Finished);
            EXPECT_EQ(test::ReadWholeFile(target), "fresh");
        }
    }
}

TEST_F(DownloadTest, CancelEndsARunningDownload) {
    ScriptedReply reply = HttpReply(std::string(100000, 'x'), "application/octet-stream");
    reply.stallAt = 5000;
    reply.stallAfterBytes = std::chrono::milliseconds(20000);
    server.Enqueue(reply);
    std::atomic<bool> cancel{false};
    DownloadTask task;
    task.link = server.baseAddress() + "/file";
    task.targetPath = target;
    task.cancel = &cancel;
    task.figures = &figures;
    std::thread canceller([&] {
        while (figures.received == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        cancel = true;
    });
    EXPECT_EQ(RunDownload(task), DownloadOutcome::Cancelled);
    canceller.join();
    EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace zu
