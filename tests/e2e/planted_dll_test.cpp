// A DLL named like a system DLL both programs use, left in the program's folder (the updater runs
// from the temporary folder) must never run inside them. Wine prefers its own DLLs to a file in
// the program's folder; Wine's per-program setting makes the child take the file first, as
// Windows would (Wine 8 reads WINEDLLOVERRIDES from the Unix environment only, which a Windows
// parent cannot set).
#include "base/Text.h"
#include "startup/PublicData.h"
#include "updater/UpdaterTexts.h"

#include "support/DemoServer.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

namespace velm {
namespace {

using namespace velm::test;

// Wine's setting "take wininet.dll from a file first" for programs named `program`, while alive.
class PreferFileFor {
public:
    explicit PreferFileFor(const std::wstring& program)
        : key_(L"Software\\Wine\\AppDefaults\\" + program) {
        HKEY overrides = nullptr;
        EXPECT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, (key_ + L"\\DllOverrides").c_str(), 0,
                                    nullptr, 0, KEY_SET_VALUE, nullptr, &overrides, nullptr),
                  ERROR_SUCCESS);
        const wchar_t order[] = L"native,builtin";
        EXPECT_EQ(::RegSetValueExW(overrides, L"wininet", 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(order), sizeof(order)),
                  ERROR_SUCCESS);
        ::RegCloseKey(overrides);
    }
    ~PreferFileFor() { ::RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()); }
    PreferFileFor(const PreferFileFor&) = delete;
    PreferFileFor& operator=(const PreferFileFor&) = delete;

private:
    std::wstring key_;
};

class PlantedDll : public ::testing::Test {
protected:
    void SetUp() override {
        std::string planted =
            ReadFileBytes(FromUnixPath(std::string(VELM_BINARY_DIR) + "/planted/wininet.dll"));
        ASSERT_FALSE(planted.empty());
        ASSERT_TRUE(WriteFileBytes(folder.path() + "wininet.dll", planted));
    }
    // The marker names the program the planted DLL ran in; empty when it never ran.
    std::string Marker() { return ReadFileBytes(folder.path() + "planted.marker"); }

    TempDir folder;
    ChildProcess child;
};

TEST_F(PlantedDll, NeverRunsInTheUpdater) {
    ASSERT_TRUE(
        WriteFileBytes(folder.path() + "Update.exe", std::string(ResourceBytes(101, "UPDATE"))));
    PreferFileFor wine(L"Update.exe");
    ASSERT_TRUE(child.Start(folder.wpath() + L"Update.exe", L"nonsense"));
    HWND box = WaitForDialog(Widen(kUpdaterTitle), child.Pid(), 15000);
    EXPECT_NE(box, nullptr) << "the updater did not get as far as its message";
    if (box) {
        PressButton(box, IDOK);
    }
    EXPECT_TRUE(child.Wait(10000));
    EXPECT_EQ(Marker(), "");
}

TEST_F(PlantedDll, NeverRunsInTheClient) {
    ASSERT_TRUE(DemoReset()) << "the demo server is not running";
    ASSERT_TRUE(DemoSetVersion("1.1.0"));
    ASSERT_EQ(DemoGet("/__control/delay?path=/velm/login/&ms=2000"), "ok\n");
    ASSERT_TRUE(::CopyFileW(VelmExePath().c_str(), (folder.wpath() + L"velm.exe").c_str(), FALSE));
    TempDir temp;
    PreferFileFor wine(L"velm.exe");
    ASSERT_TRUE(child.Start(folder.wpath() + L"velm.exe", L"",
                            {{L"TMP", temp.wpath()}, {L"TEMP", temp.wpath()}}));
    // The splash comes after the manifest download: the system's wininet.dll did its work.
    EXPECT_NE(WaitForClass(L"velm.LoadFrm", child.Pid(), 15000), nullptr);
    child.Kill();
    DemoReset();
    EXPECT_EQ(Marker(), "");
}

} // namespace
} // namespace velm
