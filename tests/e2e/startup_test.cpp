// The whole program under Wine against the demo server: the update offer, the splash, the
// updater launch and the "/web" shortcut. The login page is answered late, so the splash stays
// up long enough to be looked at before the login windows take over.
#include "download/Manifest.h"
#include "startup/Messages.h"
#include "startup/UpdateCheck.h"
#include "startup/PublicData.h"
#include "startup/UpdaterLaunch.h"

#include "Config.h"
#include "base/Text.h"
#include "support/DemoServer.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

namespace velm {
namespace {

using namespace velm::test;

class WholeProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DemoReset()) << "the demo server is not running";
        ASSERT_EQ(DemoGet("/__control/delay?path=/velm/login/&ms=2000"), "ok\n");
    }
    void TearDown() override {
        client.Kill();
        DemoReset();
    }
    bool Start(const std::wstring& arguments = L"") {
        return client.Start(VelmExePath(), arguments,
                            {{L"TMP", temp.wpath()}, {L"TEMP", temp.wpath()}});
    }
    HWND WaitSplash() { return WaitForClass(L"velm.LoadFrm", client.Pid(), 15000); }

    TempDir temp;
    ChildProcess client;
};

TEST_F(WholeProgram, EqualVersionShowsTheSplashCentredAndNoBox) {
    ASSERT_TRUE(DemoSetVersion("1.1.0"));
    ASSERT_TRUE(Start());
    HWND splash = WaitSplash();
    ASSERT_NE(splash, nullptr);
    Pump(300);
    EXPECT_TRUE(::IsWindowVisible(splash));
    RECT r{};
    ::GetWindowRect(splash, &r);
    EXPECT_EQ(r.right - r.left, 356);
    EXPECT_EQ(r.bottom - r.top, 122);
    EXPECT_EQ(r.left, (::GetSystemMetrics(SM_CXSCREEN) - 356) / 2);
    EXPECT_EQ(r.top, (::GetSystemMetrics(SM_CYSCREEN) - 122) / 2);
    EXPECT_EQ(WindowText(splash), L"Form1");
    EXPECT_NE(::GetWindowLongW(splash, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_NE(::GetWindowLongW(splash, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0) << "no taskbar button";
    EXPECT_TRUE(NoDialogFor(L"提示", client.Pid(), 500));
    std::string manifest = temp.path() + "update.txt";
    // The manifest as served (each answer carries a fresh signature of the same text).
    const auto signedPart = [](const std::string& m) { return m.substr(0, m.find("signature=")); };
    EXPECT_EQ(signedPart(ReadFileBytes(manifest)), signedPart(DemoGet(kManifestPath)));
    EXPECT_NE(ReadFileBytes(manifest).find("\r\nsignature="), std::string::npos);
    EXPECT_NE(FileAttributes(manifest) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_TRUE(client.Running());
    Pixels screen = CaptureScreen();
    SaveBmp(screen, ShotsDir() + "splash.bmp");

    // The login page completes: the login windows appear and the splash goes.
    HWND login = WaitForWindow(
        [&](HWND h) { return WindowClass(h) == L"velm.LoginBgFrm" && ::IsWindowVisible(h); },
        15000);
    ASSERT_NE(login, nullptr);
    Pump(200);
    EXPECT_FALSE(::IsWindow(splash));
    EXPECT_TRUE(client.Running());
}

TEST_F(WholeProgram, DifferentVersionAsksAndNoContinuesToTheSplash) {
    ASSERT_TRUE(DemoSetVersion("1.1.1"));
    ASSERT_TRUE(Start());
    HWND box = WaitForDialog(L"提示", client.Pid(), 15000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), Widen(kNewVersionText));
    EXPECT_EQ(MessageBoxButtons(box), (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(::FindWindowW(L"velm.LoadFrm", nullptr), nullptr) << "the check comes first";
    PressButton(box, IDNO);
    HWND splash = WaitSplash();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(client.Running());
}

// A manifest the updater would refuse (here unsigned, with a version line written differently)
// is never offered: start-up goes on as with an unreadable one.
TEST_F(WholeProgram, ManifestTheUpdaterWouldRefuseIsNotOffered) {
    ASSERT_TRUE(DemoSet(kManifestPath, 200, "Version = 1.1.0\r\n"));
    ASSERT_TRUE(Start());
    EXPECT_NE(WaitSplash(), nullptr);
    EXPECT_TRUE(NoDialogFor(L"提示", client.Pid(), 500));
}

TEST_F(WholeProgram, YesStartsTheUpdaterWithTheClientPathsAndEnds) {
    ASSERT_TRUE(DemoSetVersion("2.0.0"));
    ASSERT_TRUE(Start());
    HWND box = WaitForDialog(L"提示", client.Pid(), 15000);
    ASSERT_NE(box, nullptr);
    PressButton(box, IDYES);
    ASSERT_TRUE(client.Wait(15000)) << "the client ends at once";
    EXPECT_EQ(::FindWindowW(L"velm.LoadFrm", nullptr), nullptr);
    // Written into a folder of its own, with the manifest the client checked beside it.
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((temp.path() + kUpdaterFolderPrefix + "*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    ::FindClose(search);
    const std::string folder = temp.path() + found.cFileName + "\\";
    EXPECT_EQ(ReadFileBytes(folder + "Update.exe"), ResourceBytes(101, "UPDATE"));
    EXPECT_EQ(ReadFileBytes(folder + "update.txt"), ReadFileBytes(temp.path() + "update.txt"));
    EXPECT_FALSE(FileExists(temp.path() + "Update.exe"));
    // The updater read the client's paths: the signed manifest names a release the demo server
    // does not serve, so it reports the failed download and starts the very client that started
    // it again (bad paths would give another message and no restart).
    HWND updater = WaitForDialog(L"更新程序", 0, 15000);
    ASSERT_NE(updater, nullptr);
    EXPECT_NE(MessageBoxText(updater).find(L"下载新版本失败"), std::wstring::npos)
        << Narrow(MessageBoxText(updater));
    PressButton(updater, IDOK);
    HWND again = WaitForWindow(
        [&](HWND h) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(h, &pid);
            return WindowClass(h) == L"#32770" && WindowText(h) == L"提示" &&
                   ::IsWindowVisible(h) && pid != client.Pid();
        },
        30000);
    ASSERT_NE(again, nullptr);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(again, &pid);
    if (HANDLE h = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
        ::TerminateProcess(h, 99);
        ::WaitForSingleObject(h, 5000);
        ::CloseHandle(h);
    }
}

TEST_F(WholeProgram, NoManifestAtStartIsSilent) {
    ASSERT_TRUE(DemoSet(kManifestPath, 404, "missing"));
    ASSERT_TRUE(Start());
    EXPECT_NE(WaitSplash(), nullptr);
    EXPECT_TRUE(NoDialogFor(L"提示", client.Pid(), 500));
    EXPECT_FALSE(FileExists(temp.path() + "update.txt"));
}

TEST_F(WholeProgram, FailedDownloadReadsTheEarlierManifest) {
    // An earlier, signed manifest of a newer release.
    ASSERT_TRUE(DemoSetVersion("2.0.0"));
    WriteFileBytes(temp.path() + "update.txt", DemoGet(kManifestPath));
    ASSERT_TRUE(DemoSet(kManifestPath, 500, "error"));
    ASSERT_TRUE(Start());
    HWND box = WaitForDialog(L"提示", client.Pid(), 15000);
    ASSERT_NE(box, nullptr) << "the earlier manifest offers its version";
    PressButton(box, IDNO);
    EXPECT_NE(WaitSplash(), nullptr);
}

TEST_F(WholeProgram, WebSwitchOpensTheMakerHomePageAndEnds) {
    char log[MAX_PATH] = {};
    ASSERT_TRUE(::GetEnvironmentVariableA("VELM_BROWSER_LOG", log, MAX_PATH));
    std::string logPath = FromUnixPath(log);
    ::DeleteFileA(logPath.c_str());
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    std::string browser = std::string(VELM_SOURCE_DIR) + "/tests/e2e/record-browser.sh";
    ::RegSetValueExA(key, "Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(browser.c_str()),
                     static_cast<DWORD>(browser.size() + 1));
    ::RegCloseKey(key);

    ASSERT_TRUE(DemoSetVersion("1.1.0"));
    ASSERT_TRUE(Start(L"/web"));
    ASSERT_TRUE(client.Wait(15000));
    EXPECT_TRUE(FileExists(temp.path() + "update.txt")) << "the checks run before the switch";
    std::string opened;
    for (int i = 0; i < 100 && opened.empty(); ++i) {
        Pump(100);
        opened = ReadFileBytes(logPath);
    }
    EXPECT_EQ(opened, std::string(VELM_MAKER_HOME) + "\n");
}

TEST_F(WholeProgram, OtherCommandLinesAreIgnored) {
    ASSERT_TRUE(DemoSetVersion("1.1.0"));
    ASSERT_TRUE(Start(L"/WEB"));
    EXPECT_NE(WaitSplash(), nullptr);
}

} // namespace
} // namespace velm
