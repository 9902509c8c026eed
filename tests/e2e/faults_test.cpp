// The start-up update check of the whole program under Wine against a server that answers
// badly: error statuses, no length, chunked bodies, a body cut off, a server that stalls or drops
// the connection, a temporary folder that is missing or is a file, and a manifest of 50 MB
// without a line end. Each time the client goes on to the splash, shows only the question the
// manifest it trusts calls for, and keeps the good manifest it had.
#include "startup/Messages.h"
#include "startup/UpdateCheck.h"

#include "base/Text.h"
#include "support/DemoServer.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <string>

namespace velm {
namespace {

using namespace velm::test;

// The manifest of this very version: trusted, it asks nothing.
const std::string kGoodManifest = "[velm]\r\nversion=1.1.0\r\n";

bool DemoFault(const std::string& kind) {
    return DemoGet("/__control/fault?path=" + std::string(kManifestPath) + "&kind=" + kind) ==
           "ok\n";
}

class Faults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DemoReset()) << "the demo server is not running";
        // A complete answer would offer an update: only a partial one could silence it.
        ASSERT_TRUE(DemoSetVersion("1.1.1"));
        // The login page comes late, so the splash is there to be seen.
        ASSERT_EQ(DemoGet("/__control/delay?path=/velm/login/&ms=1500"), "ok\n");
        manifest = temp.path() + "update.txt";
    }
    void TearDown() override {
        client.Kill();
        DemoReset();
    }
    void PlaceGoodManifest() {
        ASSERT_TRUE(WriteFileBytes(manifest, kGoodManifest));
        ASSERT_TRUE(::SetFileAttributesA(manifest.c_str(), FILE_ATTRIBUTE_HIDDEN));
    }
    bool Start(const std::wstring& tmp) {
        started = ::GetTickCount();
        return client.Start(VelmExePath(), L"", {{L"TMP", tmp}, {L"TEMP", tmp}});
    }
    bool Start() { return Start(temp.wpath()); }
    // The splash within `ms`, with the client alive and no question asked on the way.
    void ExpectSplashWithoutQuestion(DWORD ms = 30000) {
        HWND splash = WaitForWindow(
            [&](HWND h) {
                DWORD pid = 0;
                ::GetWindowThreadProcessId(h, &pid);
                return pid == client.Pid() &&
                       (WindowClass(h) == L"velm.LoadFrm" ||
                        (WindowClass(h) == L"#32770" && ::IsWindowVisible(h)));
            },
            ms);
        ASSERT_NE(splash, nullptr) << "start-up went on";
        EXPECT_EQ(WindowClass(splash), L"velm.LoadFrm") << Narrow(MessageBoxText(splash));
        EXPECT_TRUE(client.Running());
    }
    void ExpectGoodManifestKept() {
        EXPECT_EQ(ReadFileBytes(manifest), kGoodManifest);
        EXPECT_NE(FileAttributes(manifest) & FILE_ATTRIBUTE_HIDDEN, 0u);
        EXPECT_FALSE(FileExists(manifest + ".part")) << "no piece of a transfer is left behind";
    }

    TempDir temp;
    ChildProcess client;
    std::string manifest;
    DWORD started = 0;
};

TEST_F(Faults, NotFoundKeepsTheEarlierManifest) {
    PlaceGoodManifest();
    ASSERT_TRUE(DemoSet(kManifestPath, 404, "[velm]\r\nversion=1.1.1\r\n"));
    ASSERT_TRUE(Start());
    ExpectSplashWithoutQuestion();
    ExpectGoodManifestKept();
}

TEST_F(Faults, ServerErrorKeepsTheEarlierManifest) {
    PlaceGoodManifest();
    ASSERT_TRUE(DemoSet(kManifestPath, 500, "[velm]\r\nversion=1.1.1\r\n"));
    ASSERT_TRUE(Start());
    ExpectSplashWithoutQuestion();
    ExpectGoodManifestKept();
}

TEST_F(Faults, ServerErrorWithoutEarlierManifestIsSilent) {
    ASSERT_TRUE(DemoSet(kManifestPath, 500, "[velm]\r\nversion=1.1.1\r\n"));
    ASSERT_TRUE(Start());
    ExpectSplashWithoutQuestion();
    EXPECT_FALSE(FileExists(manifest));
}

// Without a length the answer cannot be told from one cut short: it is not taken.
TEST_F(Faults, AnswerWithoutLengthIsNotTaken) {
    PlaceGoodManifest();
    ASSERT_TRUE(DemoFault("nolength"));
    ASSERT_TRUE(Start());
    ExpectSplashWithoutQuestion();
    ExpectGoodManifestKept();
}

TEST_F(Faults, ChunkedAnswerIsNotTakenAndWritesNothing) {
    ASSERT_TRUE(DemoFault("chunked"));
    ASSERT_TRUE(Start());
    ExpectSplashWithoutQuestion();
    EXPECT_FALSE(FileExists(manifest));
    EXPECT_FALSE(FileExists(manifest + ".part"));
}

TEST_F(Faults, BodyCutMidTransferKeepsTheEarlierManifest) {
    PlaceGoodManifest();
    ASSERT_TRUE(DemoFault("cut"));
    ASSERT_TRUE(Start());
    ExpectSplashWithoutQuestion();
    ExpectGoodManifestKept();
}

TEST_F(Faults, ConnectionDroppedBeforeAnswerKeepsTheEarlierManifest) {
    PlaceGoodManifest();
    ASSERT_TRUE(DemoFault("close"));
    ASSERT_TRUE(Start());
    ExpectSplashWithoutQuestion();
    ExpectGoodManifestKept();
}

// A server that sends the head of an answer and then nothing: start-up waits a bounded time,
// then goes on with the manifest it had.
TEST_F(Faults, StalledServerDelaysStartUpOnlyBoundedly) {
    PlaceGoodManifest();
    ASSERT_TRUE(DemoFault("stall"));
    ASSERT_TRUE(Start());
    ExpectSplashWithoutQuestion(60000);
    const DWORD waited = ::GetTickCount() - started;
    EXPECT_LT(waited, 30000u) << "start-up waited " << waited << " ms for a silent server";
    ExpectGoodManifestKept();
}

// A server that takes the connection and never answers at all.
TEST_F(Faults, ServerThatNeverAnswersDelaysStartUpOnlyBoundedly) {
    PlaceGoodManifest();
    ASSERT_EQ(DemoGet("/__control/delay?path=" + std::string(kManifestPath) + "&ms=120000"),
              "ok\n");
    ASSERT_TRUE(Start());
    ExpectSplashWithoutQuestion(60000);
    const DWORD waited = ::GetTickCount() - started;
    EXPECT_LT(waited, 30000u) << "start-up waited " << waited << " ms for a silent server";
    ExpectGoodManifestKept();
}

TEST_F(Faults, MissingTemporaryFolderStartsWithoutManifest) {
    std::string missing = temp.path() + "gone\\";
    ASSERT_TRUE(Start(Widen(missing)));
    ExpectSplashWithoutQuestion();
    EXPECT_FALSE(FileExists(missing)) << "nothing made the folder";
}

TEST_F(Faults, TemporaryFolderThatIsAFileStartsWithoutManifest) {
    std::string file = temp.path() + "notafolder";
    ASSERT_TRUE(WriteFileBytes(file, "x"));
    ASSERT_TRUE(::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(Start(Widen(file)));
    ExpectSplashWithoutQuestion();
    EXPECT_EQ(ReadFileBytes(file), "x");
    ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Faults, ReadOnlyEarlierManifestStaysAsItWas) {
    PlaceGoodManifest();
    ASSERT_TRUE(
        ::SetFileAttributesA(manifest.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(Start());
    ExpectSplashWithoutQuestion();
    EXPECT_EQ(ReadFileBytes(manifest), kGoodManifest);
    EXPECT_FALSE(FileExists(manifest + ".part"));
    ::SetFileAttributesA(manifest.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// 50 MB on one line: far past the size a manifest may have, so the download stops there and the
// earlier manifest stays; nothing is asked.
TEST_F(Faults, FiftyMegabyteManifestIsCutOffAndTheEarlierOneStays) {
    PlaceGoodManifest();
    ASSERT_TRUE(DemoFault("huge"));
    ASSERT_TRUE(Start());
    ExpectSplashWithoutQuestion();
    EXPECT_EQ(ReadFileBytes(manifest), kGoodManifest);
    EXPECT_FALSE(FileExists(manifest + ".part"));
}

} // namespace
} // namespace velm
