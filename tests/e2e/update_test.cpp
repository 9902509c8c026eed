// A whole update under Wine: the client 1.1.0 finds the demo server's signed release 1.1.1, the
// player says Yes, Update.exe (the one the client carries) replaces the client and starts it, and
// the new client finds the versions equal. Then the same with a tampered executable, a tampered
// manifest, a transfer that breaks off and an executable that cannot be replaced: each leaves
// the original client in place, working, and says why.
#include "startup/Messages.h"
#include "startup/UpdateCheck.h"
#include "updater/UpdateFrm.h"
#include "updater/UpdaterTexts.h"

#include "Config.h"
#include "base/Handles.h"
#include "base/Text.h"
#include "support/DemoServer.h"
#include "support/WinTest.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace velm {
namespace {

using namespace velm::test;

const std::string kReleasePath =
    sizeof(void*) == 4 ? "/gamehome/velm/release/velm.exe" : "/gamehome/velm/x64/release/velm.exe";

bool DemoRelease(const std::string& mode) {
    return DemoGet("/__control/release?mode=" + mode) == "ok\n";
}
std::vector<std::string> DemoRequests() {
    std::vector<std::string> lines;
    std::istringstream in(DemoGet("/__control/requests"));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

DWORD PidOf(HWND hwnd) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    return pid;
}

// Collects the processes of clients, updaters and their boxes.
BOOL CALLBACK CollectOurs(HWND h, LPARAM found) {
    std::wstring cls = WindowClass(h);
    std::wstring title = WindowText(h);
    if (cls == L"velm.LoadFrm" || cls == L"velm.UpdateFrm" ||
        (cls == L"#32770" && (title == L"提示" || title == Widen(kUpdaterTitle)))) {
        reinterpret_cast<std::set<DWORD>*>(found)->insert(PidOf(h));
    }
    return TRUE;
}

// Whether a process runs the program file at `path`.
bool RunningFrom(const std::string& path) {
    UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more && !found;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        UniqueKernelHandle process(
            ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        wchar_t image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (process && ::QueryFullProcessImageNameW(process.get(), 0, image, &size)) {
            found = ::lstrcmpiW(image, Widen(path).c_str()) == 0;
        }
    }
    return found;
}

std::wstring UpdaterOutcome(const char* text) {
    return Widen(std::string(text) + kUnchanged);
}

class WholeUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DemoReset()) << "the demo server is not running";
        tmp = temp.path() + "tmp\\";
        game = temp.path() + "game\\";
        ASSERT_TRUE(::CreateDirectoryA(tmp.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryA(game.c_str(), nullptr));
        exe = game + "velm.exe";
        original = ReadFileBytes(Narrow(VelmExePath()));
        ASSERT_FALSE(original.empty());
        ASSERT_TRUE(WriteFileBytes(exe, original));
        release = ReadFileBytes(FromUnixPath(std::string(VELM_BINARY_DIR) + "/release/velm.exe"));
        ASSERT_FALSE(release.empty()) << "the build makes the signed demo release";
        ASSERT_NE(release, original);
    }
    void TearDown() override {
        // Every client and updater this test caused, wherever it came from: their windows and
        // boxes name them.
        for (int round = 0; round < 3; ++round) {
            std::set<DWORD> found = pids;
            ::EnumWindows(&CollectOurs, reinterpret_cast<LPARAM>(&found));
            found.erase(::GetCurrentProcessId());
            for (DWORD pid : found) {
                Kill(pid);
            }
        }
        client.Kill();
        DemoReset();
    }
    static void Kill(DWORD pid) {
        if (HANDLE h = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            ::TerminateProcess(h, 99);
            ::WaitForSingleObject(h, 5000);
            ::CloseHandle(h);
        }
    }
    bool Start() {
        return client.Start(Widen(exe), L"", {{L"TMP", Widen(tmp)}, {L"TEMP", Widen(tmp)}});
    }
    // The client's update offer, answered Yes; the client then ends.
    void AcceptOffer() {
        HWND box = WaitForDialog(L"提示", client.Pid(), 15000);
        ASSERT_NE(box, nullptr);
        ASSERT_EQ(MessageBoxText(box), Widen(kNewVersionText));
        PressButton(box, IDYES);
        ASSERT_TRUE(client.Wait(15000)) << "the client ends for the updater";
    }
    // The updater's closing message, answered OK.
    std::wstring UpdaterMessage() {
        HWND box = WaitForDialog(Widen(kUpdaterTitle), 0, 30000);
        if (!box) {
            return L"(no message)";
        }
        pids.insert(PidOf(box));
        std::wstring text = MessageBoxText(box);
        PressButton(box, IDOK);
        return text;
    }
    // A client started by the updater (not by the test): it offers the update again, the player
    // says No this time, and it goes on to its splash. Proves the client left in place works.
    void RestartedClientWorks() {
        HWND box = WaitForWindow(
            [&](HWND h) {
                return WindowClass(h) == L"#32770" && WindowText(h) == L"提示" &&
                       ::IsWindowVisible(h) && PidOf(h) != client.Pid();
            },
            30000);
        ASSERT_NE(box, nullptr) << "the updater starts the previous client again";
        DWORD pid = PidOf(box);
        pids.insert(pid);
        EXPECT_EQ(MessageBoxText(box), Widen(kNewVersionText));
        PressButton(box, IDNO);
        EXPECT_NE(WaitForClass(L"velm.LoadFrm", pid, 20000), nullptr);
    }
    void ExpectOriginalInPlace() {
        EXPECT_TRUE(ReadFileBytes(exe) == original) << "the client is the one it was";
        EXPECT_FALSE(FileExists(exe + ".new"));
        EXPECT_FALSE(FileExists(exe + ".new.part"));
        EXPECT_FALSE(FileExists(exe + ".old"));
    }

    TempDir temp;
    std::string tmp, game, exe, original, release;
    ChildProcess client;
    std::set<DWORD> pids;
};

TEST_F(WholeUpdate, FromThisVersionToTheNextAndNoOfferAfterwards) {
    ASSERT_TRUE(DemoRelease("good"));
    ASSERT_TRUE(Start());
    AcceptOffer();
    HWND splash = WaitForWindow(
        [&](HWND h) { return WindowClass(h) == L"velm.LoadFrm" && PidOf(h) != client.Pid(); },
        60000);
    ASSERT_NE(splash, nullptr) << "the updated client starts";
    DWORD pid = PidOf(splash);
    pids.insert(pid);
    EXPECT_TRUE(NoDialogFor(L"提示", pid, 1500)) << "versions equal: no offer";
    EXPECT_TRUE(NoDialogFor(Widen(kUpdaterTitle), 0, 200));
    EXPECT_TRUE(ReadFileBytes(exe) == release) << "the executable is the signed release";
    EXPECT_FALSE(FileExists(exe + ".old"));
    EXPECT_FALSE(FileExists(exe + ".new"));
    EXPECT_FALSE(FileExists(tmp + "Update.exe")) << "the updater ran from a folder of its own";
    std::vector<std::string> requests = DemoRequests();
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(requests[0], kManifestPath) << "the old client's check";
    EXPECT_EQ(requests[1], kReleasePath) << "the updater's one download";
    EXPECT_EQ(requests[2], kManifestPath) << "the new client's check";
    EXPECT_EQ(std::count(requests.begin(), requests.end(), kReleasePath), 1);
}

// A program someone left in the temporary folder under the updater's name, read-only so that it
// survives any write, is never what runs: the update goes through with the client's own updater.
TEST_F(WholeUpdate, AForeignUpdaterInTheTemporaryFolderIsNeverRun) {
    const std::string foreign = tmp + "Update.exe";
    ASSERT_TRUE(WriteFileBytes(foreign, original)); // a program that shows itself when run
    ASSERT_TRUE(::SetFileAttributesA(foreign.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(DemoRelease("good"));
    ASSERT_TRUE(Start());
    AcceptOffer();
    HWND splash = WaitForWindow(
        [&](HWND h) { return WindowClass(h) == L"velm.LoadFrm" && PidOf(h) != client.Pid(); },
        60000);
    EXPECT_FALSE(RunningFrom(foreign));
    ASSERT_NE(splash, nullptr) << "the client's own updater installed the release";
    pids.insert(PidOf(splash));
    EXPECT_TRUE(ReadFileBytes(exe) == release);
    EXPECT_TRUE(ReadFileBytes(foreign) == original);
    ::SetFileAttributesA(foreign.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// An updater that cannot be written (here: a temporary folder whose path leaves no room for the
// updater's) is not started; the player is told, and the client goes on.
TEST_F(WholeUpdate, AnUpdaterThatCannotBeWrittenLeavesTheClientRunning) {
    std::string deep = temp.path();
    deep += std::string(235 - deep.size() - 1, 'd') + "\\";
    ASSERT_TRUE(::CreateDirectoryA(deep.c_str(), nullptr));
    ASSERT_TRUE(DemoRelease("good"));
    ASSERT_TRUE(client.Start(Widen(exe), L"", {{L"TMP", Widen(deep)}, {L"TEMP", Widen(deep)}}));
    HWND offer = WaitForDialog(L"提示", client.Pid(), 15000);
    ASSERT_NE(offer, nullptr);
    ASSERT_EQ(MessageBoxText(offer), Widen(kNewVersionText));
    PressButton(offer, IDYES);
    HWND told = WaitForWindow(
        [&](HWND h) {
            return WindowClass(h) == L"#32770" && WindowText(h) == L"提示" &&
                   ::IsWindowVisible(h) && h != offer && PidOf(h) == client.Pid();
        },
        15000);
    ASSERT_NE(told, nullptr) << "the client says so";
    EXPECT_EQ(MessageBoxText(told), Widen(kUpdaterFailedText));
    PressButton(told, IDOK);
    EXPECT_NE(WaitForClass(L"velm.LoadFrm", client.Pid(), 20000), nullptr);
    EXPECT_TRUE(client.Running());
    EXPECT_EQ(::FindWindowW(L"velm.UpdateFrm", nullptr), nullptr);
    ExpectOriginalInPlace();
}

TEST_F(WholeUpdate, TamperedExecutableIsRefused) {
    ASSERT_TRUE(DemoRelease("bad-exe"));
    ASSERT_TRUE(Start());
    AcceptOffer();
    EXPECT_EQ(UpdaterMessage(), UpdaterOutcome(kDigestMismatch));
    RestartedClientWorks();
    ExpectOriginalInPlace();
}

// A manifest the updater would refuse is never offered: the client goes on to its splash as if
// the manifest were unreadable.
TEST_F(WholeUpdate, TamperedManifestIsNotOffered) {
    ASSERT_TRUE(DemoRelease("bad-manifest"));
    ASSERT_TRUE(Start());
    EXPECT_NE(WaitForClass(L"velm.LoadFrm", client.Pid(), 20000), nullptr);
    EXPECT_TRUE(NoDialogFor(L"提示", client.Pid(), 300));
    std::vector<std::string> requests = DemoRequests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), kReleasePath), 0);
    ExpectOriginalInPlace();
}

TEST_F(WholeUpdate, TransferBreakingOffIsRefused) {
    ASSERT_TRUE(DemoRelease("cut"));
    ASSERT_TRUE(Start());
    AcceptOffer();
    EXPECT_EQ(UpdaterMessage(), UpdaterOutcome(kDownloadFailed));
    RestartedClientWorks();
    ExpectOriginalInPlace();
}

TEST_F(WholeUpdate, ProgressShowsAndCancelStopsTheDownload) {
    ASSERT_TRUE(DemoRelease("slow"));
    ASSERT_TRUE(Start());
    AcceptOffer();
    // The window exists a moment before its controls do: wait for the finished form.
    HWND progress = WaitForWindow(
        [](HWND h) {
            return WindowClass(h) == L"velm.UpdateFrm" && ::IsWindowVisible(h) &&
                   ::GetDlgItem(h, UpdateFrm::kCancelId) != nullptr;
        },
        15000);
    ASSERT_NE(progress, nullptr);
    pids.insert(PidOf(progress));
    HWND bar = ::GetDlgItem(progress, UpdateFrm::kProgressId);
    HWND cancel = ::GetDlgItem(progress, UpdateFrm::kCancelId);
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(WindowText(cancel), L"取消");
    // The bar follows the transfer: some of it, not all of it, while the pieces come.
    LRESULT position = 0;
    for (int i = 0; i < 300 && (position <= 0 || position >= 1000); ++i) {
        Pump(20);
        position = ::SendMessageW(bar, PBM_GETPOS, 0, 0);
    }
    EXPECT_GT(position, 0);
    EXPECT_LT(position, 1000);
    EXPECT_EQ(WindowText(::GetDlgItem(progress, UpdateFrm::kStatusId)), Widen(kStatusDownloading));
    PressButton(progress, IDCANCEL);
    EXPECT_EQ(UpdaterMessage(), UpdaterOutcome(kCancelled));
    RestartedClientWorks();
    ExpectOriginalInPlace();
}

TEST_F(WholeUpdate, UnsignedOrOlderManifestIsNotOffered) {
    // A forged manifest without signature, and a validly signed one of an older release.
    for (const char* query :
         {"/__control/version?value=2.0.0&signed=0", "/__control/version?value=1.0.9"}) {
        ASSERT_EQ(DemoGet(query), "ok\n");
        ASSERT_TRUE(Start());
        EXPECT_NE(WaitForClass(L"velm.LoadFrm", client.Pid(), 20000), nullptr) << query;
        EXPECT_TRUE(NoDialogFor(L"提示", client.Pid(), 300)) << query;
        client.Kill();
    }
    ExpectOriginalInPlace();
}

TEST_F(WholeUpdate, ExecutableThatCannotBeReplacedIsLeftAlone) {
    ASSERT_TRUE(DemoRelease("good"));
    ASSERT_TRUE(Start());
    // Another program holds the client's executable open and does not let go.
    HANDLE hold = ::CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    AcceptOffer();
    HWND progress = WaitForClass(L"velm.UpdateFrm", 0, 15000);
    ASSERT_NE(progress, nullptr) << "a visible progress window while the updater waits";
    pids.insert(PidOf(progress));
    Pump(1000);
    EXPECT_TRUE(::IsWindowVisible(progress));
    HWND ask = WaitForDialog(Widen(kUpdaterTitle), 0, 30000);
    ASSERT_NE(ask, nullptr);
    EXPECT_EQ(MessageBoxText(ask), Widen(kAskStillRunning));
    PressButton(ask, IDCANCEL);
    for (int i = 0; i < 250 && ::IsWindow(ask); ++i) {
        Pump(20);
    }
    EXPECT_EQ(UpdaterMessage(), UpdaterOutcome(kStillRunning));
    ::CloseHandle(hold);
    std::vector<std::string> requests = DemoRequests();
    EXPECT_EQ(std::count(requests.begin(), requests.end(), kReleasePath), 0);
    ExpectOriginalInPlace();
    // Nothing was started for the player this time (a client was taken to be running); the one
    // in place still works.
    ASSERT_TRUE(Start());
    HWND box = WaitForDialog(L"提示", client.Pid(), 15000);
    ASSERT_NE(box, nullptr);
    PressButton(box, IDNO);
    EXPECT_NE(WaitForClass(L"velm.LoadFrm", client.Pid(), 20000), nullptr);
}

} // namespace
} // namespace velm
