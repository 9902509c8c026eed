// The installer under Wine: a silent per-user install puts the client into the user's local
// application data with a Start menu shortcut and an entry among the installed programs; the
// installed client starts and shows its splash against the demo server; a silent uninstall
// takes all of it away again.
#include "Config.h"
#include "base/Text.h"
#include "support/DemoServer.h"
#include "support/WinTest.h"

#include <shlobj.h>

#include <gtest/gtest.h>

namespace velm {
namespace {

using namespace velm::test;

const wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvikVelmora";

std::string Folder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return {};
    }
    return Narrow(path) + "\\";
}

std::wstring RegText(const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value,
                       &size) != ERROR_SUCCESS) {
        return L"(none)";
    }
    return value;
}

bool UninstallEntryExists() {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

// The paths here are UTF-8 (the shortcut's name is Chinese): asked through the W calls.
bool Exists(const std::string& utf8) {
    return ::GetFileAttributesW(Widen(utf8).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WaitUntil(const std::function<bool()>& done, DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 100) {
        if (done()) {
            return true;
        }
        Pump(100);
    }
    return done();
}

TEST(Installer, SilentInstallStartsAndSilentUninstallRemovesIt) {
    ASSERT_TRUE(DemoReset()) << "the demo server is not running";
    // The default tree's installer trusts the development key: its name says so.
    const std::string setup =
        FromUnixPath(std::string(VELM_BINARY_DIR) + "/velm-setup-" + VELM_VERSION_TEXT +
                     (sizeof(void*) == 4 ? "" : "-x64") + "-dev.exe");
    ASSERT_TRUE(FileExists(setup)) << "the normal build makes the installer: " << setup;
    const std::string local = Folder(CSIDL_LOCAL_APPDATA);
    const std::string programs = Folder(CSIDL_PROGRAMS);
    ASSERT_FALSE(local.empty());
    const std::string dir = local + "OrvikVelmora\\";
    const std::string exe = dir + "velm.exe";
    const std::string shortcut = programs + "OrvikVelmora\\" + "OrvikVelmora客户端.lnk";
    // What an earlier, interrupted run may have left.
    const std::string dump = dir + "crashes\\velm-" VELM_VERSION_TEXT "-20261208-143005.dmp";
    for (const std::string& f : {exe, dir + "uninstall.exe", shortcut, dump}) {
        ::DeleteFileW(Widen(f).c_str());
    }
    ::RemoveDirectoryW(Widen(dir + "crashes").c_str());
    ::RemoveDirectoryW(Widen(dir).c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kUninstallKey);

    ChildProcess install;
    ASSERT_TRUE(install.Start(Widen(setup), L"/S"));
    ASSERT_TRUE(install.Wait(60000));
    EXPECT_EQ(install.ExitCode(), 0u);
    const std::string player = FromUnixPath(std::string(VELM_BINARY_DIR) + "/player/velm.exe");
    EXPECT_TRUE(ReadFileBytes(exe) == ReadFileBytes(player))
        << "the installed client is the players' build (modern or system browser engine)";
    EXPECT_TRUE(Exists(dir + "uninstall.exe"));
    EXPECT_TRUE(Exists(shortcut)) << "Start menu shortcut";
    EXPECT_EQ(RegText(L"DisplayName"), L"OrvikVelmora客户端");
    EXPECT_EQ(RegText(L"DisplayVersion"), Widen(VELM_VERSION_TEXT));
    EXPECT_EQ(RegText(L"UninstallString"), Widen("\"" + dir + "uninstall.exe\""));
    EXPECT_EQ(RegText(L"InstallLocation"), Widen(dir.substr(0, dir.size() - 1)));

    {
        TempDir temp;
        ASSERT_TRUE(DemoSetVersion(VELM_VERSION_TEXT));
        ChildProcess client;
        ASSERT_TRUE(
            client.Start(Widen(exe), L"", {{L"TMP", temp.wpath()}, {L"TEMP", temp.wpath()}}));
        HWND splash = WaitForClass(L"velm.LoadFrm", client.Pid(), 20000);
        EXPECT_NE(splash, nullptr) << "the installed client starts and shows its splash";
        EXPECT_TRUE(NoDialogFor(L"提示", client.Pid(), 300));
        client.Kill();
    }

    // What the client leaves outside its folder, as it writes it.
    wchar_t tempPath[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, tempPath);
    const std::string temp = Narrow(tempPath);
    const std::string updater = temp + "velm-update-0123456789ab\\";
    ASSERT_TRUE(::CreateDirectoryW(Widen(updater).c_str(), nullptr));
    const std::string leftovers[] = {temp + "velm.ico", temp + "update.txt", updater + "Update.exe",
                                     updater + "update.txt"};
    for (const std::string& file : leftovers) {
        ASSERT_TRUE(WriteFileBytes(file, "written by the client"));
    }
    // Not the client's: another program's file of the updater's old name stays.
    const std::string foreign = temp + "Update.exe";
    ASSERT_TRUE(WriteFileBytes(foreign, "someone else's"));
    ::SetFileAttributesW(Widen(temp + "update.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    // A crash dump (README, "Crash dumps"), in the folder the programs make beside the client.
    ASSERT_TRUE(::CreateDirectoryW(Widen(dir + "crashes").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(dump, "MDMP"));
    // The modern browser runtime's data: the players' profiles, caches and cookies.
    std::string data = dir;
    for (const char* part : {"WebView2\\", "EBWebView\\", "Default\\", "Cache\\"}) {
        data += part;
        ASSERT_TRUE(::CreateDirectoryW(Widen(data).c_str(), nullptr) ||
                    ::GetLastError() == ERROR_ALREADY_EXISTS);
    }
    ASSERT_TRUE(WriteFileBytes(data + "data_0", "cache"));
    const wchar_t* emulationKey = L"Software\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\"
                                  L"FEATURE_BROWSER_EMULATION";
    DWORD mode = 11001;
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, emulationKey, L"velm.exe", REG_DWORD, &mode,
                                sizeof(mode)),
              ERROR_SUCCESS);

    ChildProcess uninstall;
    ASSERT_TRUE(uninstall.Start(Widen(dir + "uninstall.exe"), L"/S"));
    ASSERT_TRUE(uninstall.Wait(60000));
    // The uninstaller runs from a copy of itself in the temporary folder, so its first process
    // ends before the work is done.
    EXPECT_TRUE(WaitUntil([&] { return !Exists(exe) && !Exists(dir); }, 30000))
        << "the client and its folder are gone";
    EXPECT_TRUE(WaitUntil([&] { return !Exists(shortcut); }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return !UninstallEntryExists(); }, 10000));
    for (const std::string& file : leftovers) {
        EXPECT_TRUE(WaitUntil([&] { return !Exists(file); }, 10000)) << file;
    }
    EXPECT_TRUE(WaitUntil([&] { return !Exists(updater); }, 10000)) << updater;
    EXPECT_TRUE(Exists(foreign));
    ::DeleteFileW(Widen(foreign).c_str());
    EXPECT_NE(::RegGetValueW(HKEY_CURRENT_USER, emulationKey, L"velm.exe", RRF_RT_REG_DWORD,
                             nullptr, &mode, nullptr),
              ERROR_SUCCESS)
        << "the browser mode value of the client's name";
}

} // namespace
} // namespace velm
