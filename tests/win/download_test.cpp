// CKoDownLoadFile against a real HTTP server on 127.0.0.1.
#include "download/CKoDownLoadFile.h"

#include "support/HttpTestServer.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velm {
namespace {

using test::FileAttributes;
using test::FileExists;
using test::HttpTestServer;
using test::ReadFileBytes;
using test::Response;
using test::TempDir;
using test::WriteFileBytes;

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        s[i] = static_cast<char>((i * 131 + i / 7) & 0xFF);
    }
    return s;
}

// Records the events in the order they were raised.
struct Recorder {
    std::vector<std::string> events;
    void Attach(CKoDownLoadFile& d) {
        d.QueryFileInfo = [this](std::int32_t n) { events.push_back("info " + std::to_string(n)); };
        d.Loading = [this](std::int32_t n) { events.push_back("loading " + std::to_string(n)); };
        d.Complete = [this] { events.push_back("complete"); };
    }
};

class Download : public ::testing::Test {
protected:
    HttpTestServer server;
    TempDir dir;
    std::string target = dir.path() + "update.txt";
    CKoDownLoadFile downloader;
    Recorder rec;
};

TEST_F(Download, WholeBodyInPiecesWithEventsInOrder) {
    const std::string body = Pattern(20000);
    server.Route("/f", {200, body});
    rec.Attach(downloader);
    ASSERT_TRUE(downloader.DownLoadFile(server.Url("/f"), target, false, true));
    EXPECT_EQ(ReadFileBytes(target), body);
    EXPECT_EQ(FileAttributes(target) & FILE_ATTRIBUTE_HIDDEN, 0u);
    ASSERT_GE(rec.events.size(), 3u);
    EXPECT_EQ(rec.events.front(), "info 20000");
    EXPECT_EQ(rec.events.back(), "complete");
    EXPECT_EQ(rec.events[rec.events.size() - 2], "loading 20000");
    // Every piece is at most 8192 bytes and the totals only grow.
    long previous = 0;
    for (size_t i = 1; i + 1 < rec.events.size(); ++i) {
        long total = std::stol(rec.events[i].substr(8));
        EXPECT_GT(total, previous);
        EXPECT_LE(total - previous, 8192);
        previous = total;
    }
    EXPECT_FALSE(FileExists(target + ".part")) << "no working file is left behind";
}

TEST_F(Download, NotFoundLeavesEarlierFileAndRaisesOnlyComplete) {
    WriteFileBytes(target, "version=1.0.0\r\n");
    server.Route("/missing", {404, "gone"});
    rec.Attach(downloader);
    EXPECT_FALSE(downloader.DownLoadFile(server.Url("/missing"), target, true, true));
    EXPECT_EQ(ReadFileBytes(target), "version=1.0.0\r\n");
    EXPECT_EQ(rec.events, std::vector<std::string>{"complete"});
    server.Route("/error", {500, "boom"});
    EXPECT_FALSE(downloader.DownLoadFile(server.Url("/error"), target, true, true));
    EXPECT_EQ(ReadFileBytes(target), "version=1.0.0\r\n");
}

TEST_F(Download, MissingOrZeroLengthWritesNothing) {
    Response noLength{200, "version=1.1.0\r\n"};
    noLength.contentLength = false;
    server.Route("/nolength", noLength);
    Response chunked{200, Pattern(5000)};
    chunked.chunked = true;
    server.Route("/chunked", chunked);
    server.Route("/empty", {200, ""});
    for (const char* path : {"/nolength", "/chunked", "/empty"}) {
        EXPECT_FALSE(downloader.DownLoadFile(server.Url(path), target, false, false)) << path;
        EXPECT_FALSE(FileExists(target)) << path;
    }
}

TEST_F(Download, HiddenTargetIsReplacedAndStaysHidden) {
    WriteFileBytes(target, "old old old old old");
    ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN);
    server.Route("/m", {200, "version=1.1.0\r\n"});
    ASSERT_TRUE(downloader.DownLoadFile(server.Url("/m"), target, true, false));
    EXPECT_EQ(ReadFileBytes(target), "version=1.1.0\r\n");
    EXPECT_NE(FileAttributes(target) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(Download, NewHiddenFile) {
    server.Route("/m", {200, "abc"});
    ASSERT_TRUE(downloader.DownLoadFile(server.Url("/m"), target, true, false));
    EXPECT_NE(FileAttributes(target) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST_F(Download, StopFromLoadingHandlerKeepsWhatArrived) {
    const std::string body = Pattern(100000);
    server.Route("/big", {200, body});
    int pieces = 0;
    downloader.Loading = [&](std::int32_t) {
        if (++pieces == 2) {
            downloader.StopDownLoad();
        }
    };
    bool completed = false;
    downloader.Complete = [&] { completed = true; };
    ASSERT_TRUE(downloader.DownLoadFile(server.Url("/big"), target, false, true));
    EXPECT_EQ(pieces, 2) << "no read after the stop";
    std::string got = ReadFileBytes(target);
    EXPECT_GT(got.size(), 0u);
    EXPECT_LT(got.size(), body.size());
    EXPECT_EQ(got, body.substr(0, got.size()));
    EXPECT_TRUE(completed);
}

// Bodies larger than one write batch go to disk from a second thread while the next pieces are
// read: every byte lands in order, and a stop keeps exactly the pieces that were reported.
TEST_F(Download, LargeBodyKeepsEveryPieceReadInOrder) {
    const std::string body = Pattern(3 * 256 * 1024 + 12345);
    server.Route("/large", {200, body});
    ASSERT_TRUE(downloader.DownLoadFile(server.Url("/large"), target, false, false));
    EXPECT_TRUE(ReadFileBytes(target) == body);

    std::int32_t reported = 0;
    downloader.Loading = [&](std::int32_t received) {
        reported = received;
        if (received > 300 * 1024) {
            downloader.StopDownLoad();
        }
    };
    ASSERT_TRUE(downloader.DownLoadFile(server.Url("/large"), target, false, true));
    const std::string kept = ReadFileBytes(target);
    EXPECT_EQ(kept.size(), static_cast<std::size_t>(reported));
    EXPECT_TRUE(kept == body.substr(0, kept.size()));
}

TEST_F(Download, StopBeforeCallHasNoEffect) {
    server.Route("/f", {200, Pattern(30000)});
    downloader.StopDownLoad();
    ASSERT_TRUE(downloader.DownLoadFile(server.Url("/f"), target, false, false));
    EXPECT_EQ(ReadFileBytes(target).size(), 30000u);
}

TEST_F(Download, EventsOffRaisesNothing) {
    server.Route("/f", {200, Pattern(10000)});
    rec.Attach(downloader);
    ASSERT_TRUE(downloader.DownLoadFile(server.Url("/f"), target, false, false));
    EXPECT_FALSE(downloader.DownLoadFile(server.Url("/404"), target, false, false));
    EXPECT_TRUE(rec.events.empty());
}

TEST_F(Download, BodyCutOffMidTransferKeepsEarlierFile) {
    WriteFileBytes(target, "good manifest");
    Response cut{200, Pattern(40000)};
    cut.cutAfter = 12000;
    server.Route("/cut", cut);
    Response reset = cut;
    reset.resetOnCut = true;
    server.Route("/reset", reset);
    for (const char* path : {"/cut", "/reset"}) {
        EXPECT_FALSE(downloader.DownLoadFile(server.Url(path), target, true, false)) << path;
        EXPECT_EQ(ReadFileBytes(target), "good manifest") << path;
        EXPECT_FALSE(FileExists(target + ".part")) << path;
    }
}

TEST_F(Download, AnnouncedLengthIsOnlyAGate) {
    // A broken server sends more than it announced. What arrives past Content-Length depends on
    // how the library splits its reads; the announced body always arrives whole, in order, and
    // the call succeeds.
    const std::string body = Pattern(150);
    Response r{200, body};
    r.announcedLength = 100;
    server.Route("/more", r);
    ASSERT_TRUE(downloader.DownLoadFile(server.Url("/more"), target, false, false));
    std::string got = ReadFileBytes(target);
    EXPECT_GE(got.size(), 100u);
    EXPECT_EQ(got, body.substr(0, got.size()));
}

TEST_F(Download, RefusedConnectionAndBadUrl) {
    WriteFileBytes(target, "keep");
    rec.Attach(downloader);
    std::string refused = "http://127.0.0.1:" + std::to_string(test::UnusedPort()) + "/x";
    EXPECT_FALSE(downloader.DownLoadFile(refused, target, false, true));
    EXPECT_FALSE(downloader.DownLoadFile("not a url", target, false, true));
    EXPECT_EQ(ReadFileBytes(target), "keep");
    EXPECT_EQ(rec.events, (std::vector<std::string>{"complete", "complete"}));
}

TEST_F(Download, PathAndQueryReachTheServerAsWritten) {
    server.Route("/dir/f.txt?v=1&name=a%20b", {200, "query"});
    server.Route("/", {200, "root"});
    ASSERT_TRUE(
        downloader.DownLoadFile(server.Url("/dir/f.txt?v=1&name=a%20b"), target, false, false));
    EXPECT_EQ(ReadFileBytes(target), "query");
    std::string root = server.Url("/");
    root.pop_back();
    ASSERT_TRUE(downloader.DownLoadFile(root, target, false, false)) << "no path asks for /";
    EXPECT_EQ(ReadFileBytes(target), "root");
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/dir/f.txt?v=1&name=a%20b", "/"}));
}

TEST_F(Download, ReadOnlyTargetIsNotReplaced) {
    server.Route("/f", {200, "new"});
    WriteFileBytes(target, "kept");
    ASSERT_TRUE(::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(downloader.DownLoadFile(server.Url("/f"), target, false, false));
    EXPECT_EQ(ReadFileBytes(target), "kept");
    EXPECT_FALSE(FileExists(target + ".part"));
    ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Download, UncreatableTargetFails) {
    server.Route("/f", {200, "abc"});
    EXPECT_FALSE(downloader.DownLoadFile(server.Url("/f"), dir.path() + "no\\such\\dir\\f.txt",
                                         false, false));
}

TEST_F(Download, SecondCallWhileTransferringIsRefused) {
    server.Route("/big", {200, Pattern(60000)});
    server.Route("/other", {200, "other"});
    std::string other = dir.path() + "other.txt";
    int refused = 0;
    int tries = 0;
    downloader.Loading = [&](std::int32_t) {
        if (tries++ == 0) {
            refused += downloader.DownLoadFile(server.Url("/other"), other, false, false) ? 0 : 1;
        }
    };
    ASSERT_TRUE(downloader.DownLoadFile(server.Url("/big"), target, false, true));
    EXPECT_EQ(refused, 1);
    EXPECT_FALSE(FileExists(other));
    EXPECT_EQ(ReadFileBytes(target).size(), 60000u);
    EXPECT_FALSE(downloader.Busy());
    EXPECT_TRUE(downloader.DownLoadFile(server.Url("/other"), other, false, false))
        << "the object serves the next call once idle";
}

TEST_F(Download, MessagesRunBetweenPieces) {
    server.Route("/big", {200, Pattern(50000)});
    bool timerRan = false;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 1, nullptr);
    // A thread message posted before the transfer is dispatched from inside it.
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP + 7, 0, 0);
    downloader.Loading = [&](std::int32_t) {
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, WM_APP + 7, WM_APP + 7, PM_NOREMOVE)) {
            timerRan = true; // already taken off the queue by the downloader
        }
    };
    ASSERT_TRUE(downloader.DownLoadFile(server.Url("/big"), target, false, true));
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(timerRan);
}

} // namespace
} // namespace velm

namespace velm {
namespace {

TEST_F(Download, PastEitherBoundTheEarlierFileStays) {
    WriteFileBytes(target, "good manifest");
    server.Route("/big", {200, Pattern(20000)});
    Response slow{200, "version=9.9.9\r\n"};
    slow.delayMs = 4000; // shorter than any single step may wait, longer than the whole call
    server.Route("/slow", slow);
    downloader.limits = {1000, 1500};
    for (const char* path : {"/big", "/slow"}) {
        EXPECT_FALSE(downloader.DownLoadFile(server.Url(path), target, true, false)) << path;
        EXPECT_EQ(ReadFileBytes(target), "good manifest") << path;
        EXPECT_FALSE(FileExists(target + ".part")) << path;
    }
}

TEST_F(Download, TheBoundCoversAServerThatTricklesItsHeaders) {
    WriteFileBytes(target, "good manifest");
    Response trickle{200, "version=9.9.9\r\n"};
    trickle.headTrickleMs = 300; // every byte renews each step's time-out; the head takes ~30 s
    server.Route("/trickle", trickle);
    downloader.limits = {1000, 1500};
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(downloader.DownLoadFile(server.Url("/trickle"), target, true, false));
    EXPECT_LT(::GetTickCount() - start, 6000u) << "the bound is the whole call's";
    EXPECT_EQ(ReadFileBytes(target), "good manifest");
}

} // namespace
} // namespace velm
