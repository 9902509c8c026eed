// Start-up pieces under Wine: the resource table, the temporary folder, resources written to
// files, the layered splash picture and the offline exit.
#include "startup/LayeredImage.h"
#include "startup/LoadFrm.h"
#include "startup/Messages.h"
#include "startup/PublicData.h"

#include "base/Log.h"
#include "base/Text.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace velm {
namespace {

using namespace velm::test;

// The system refuses the splash's window, as it does when it has no room for another.
LRESULT CALLBACK RefuseSplash(int code, WPARAM wParam, LPARAM lParam) {
    wchar_t name[64] = {};
    if (code == HCBT_CREATEWND && ::GetClassNameW(reinterpret_cast<HWND>(wParam), name, 64) > 0 &&
        std::wstring(name) == L"velm.LoadFrm") {
        return 1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Child modes: this executable started again with VELM_TEST_CHILD=offline runs the loading
// window's creation with a connection test that fails; with VELM_TEST_CHILD=nosplash it starts
// as the client does while the splash's window cannot be made, its log going to %TMP%\log.txt.
const int g_childMode = [] {
    char mode[32] = {};
    if (!::GetEnvironmentVariableA("VELM_TEST_CHILD", mode, sizeof(mode))) {
        return 0;
    }
    if (std::strcmp(mode, "offline") == 0) {
        LoadFrm::SetConnectionCheck([] { return false; });
        LoadFrm::Get();
        ::ExitProcess(77); // not reached: the creation ends the process
    }
    if (std::strcmp(mode, "nosplash") == 0) {
        SetLogSink([](const std::string& entry) {
            std::string log = ReadFileBytes(GetTempDir() + "log.txt");
            WriteFileBytes(GetTempDir() + "log.txt", log + entry + "\n");
        });
        ::SetWindowsHookExW(WH_CBT, &RefuseSplash, nullptr, ::GetCurrentThreadId());
        LoadFrm::SetConnectionCheck([] { return true; });
        LoadFrm& splash = LoadFrm::Get();
        splash.Load();
        splash.Show(SW_SHOWNORMAL);
        ::ExitProcess(77); // the client's message loop would wait here with no window for ever
    }
    return 0;
}();

unsigned U16(const std::string_view& s, size_t at) {
    return static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8;
}
unsigned U32BE(const std::string_view& s, size_t at) {
    unsigned v = 0;
    for (size_t i = 0; i < 4; ++i) {
        v = v << 8 | static_cast<unsigned char>(s[at + i]);
    }
    return v;
}

TEST(Resources, NamedTypesFoundByIdAndTypeNameInChinesePrc) {
    HMODULE self = ::GetModuleHandleW(nullptr);
    const WORD zhCN = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
    for (const char* type : {"PNG", "ICON", "UPDATE"}) {
        EXPECT_NE(::FindResourceExA(self, type, MAKEINTRESOURCEA(101), zhCN), nullptr) << type;
    }
    std::string_view login = ResourceBytes(101, "PNG");
    std::string_view splash = ResourceBytes(102, "PNG");
    ASSERT_GT(login.size(), 33u);
    ASSERT_GT(splash.size(), 33u);
    EXPECT_EQ(login.substr(1, 3), "PNG");
    EXPECT_EQ(U32BE(login, 16), 888u);
    EXPECT_EQ(U32BE(login, 20), 518u);
    EXPECT_EQ(login[24], 8) << "8 bits per channel";
    EXPECT_EQ(login[25], 6) << "RGBA";
    EXPECT_EQ(U32BE(splash, 16), 356u);
    EXPECT_EQ(U32BE(splash, 20), 122u);
    EXPECT_EQ(splash[25], 6);

    std::string_view icon = ResourceBytes(101, "ICON");
    ASSERT_GT(icon.size(), 6u + 6 * 16);
    EXPECT_EQ(U16(icon, 2), 1u) << "an icon file";
    ASSERT_EQ(U16(icon, 4), 6u) << "six images";
    const unsigned sizes[6] = {16, 64, 48, 32, 24, 16};
    const unsigned bits[6] = {8, 32, 32, 32, 32, 32};
    for (size_t i = 0; i < 6; ++i) {
        size_t e = 6 + 16 * i;
        EXPECT_EQ(static_cast<unsigned char>(icon[e]), sizes[i]) << i;
        EXPECT_EQ(U16(icon, e + 6), bits[i]) << i;
    }

    std::string_view updater = ResourceBytes(101, "UPDATE");
    ASSERT_GT(updater.size(), 1024u);
    EXPECT_EQ(updater.substr(0, 2), "MZ");
    size_t pe = U16(updater, 0x3C);
    EXPECT_EQ(updater.substr(pe, 4), std::string_view("PE\0\0", 4));
    EXPECT_EQ(U16(updater, pe + 4), sizeof(void*) == 4 ? 0x014Cu : 0x8664u)
        << "the updater is built for the client's own processor";
    EXPECT_EQ(ResourceBytes(999, "PNG").size(), 0u);
}

TEST(Resources, BitmapsHaveTheirSizes) {
    struct {
        int id, w, h;
    } expected[] = {{101, 72, 18},  {102, 150, 18}, {103, 129, 18}, {104, 72, 18}, {105, 29, 29},
                    {106, 415, 25}, {107, 421, 28}, {108, 94, 85},  {201, 225, 22}};
    for (auto e : expected) {
        HBITMAP bmp =
            static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(e.id),
                                              IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bmp, nullptr) << e.id;
        BITMAP info{};
        ::GetObjectW(bmp, sizeof(info), &info);
        EXPECT_EQ(info.bmWidth, e.w) << e.id;
        EXPECT_EQ(info.bmHeight, e.h) << e.id;
        if (e.id == 105) {
            EXPECT_EQ(info.bmBitsPixel, 32) << "the logo keeps 32 bits per pixel";
        }
        ::DeleteObject(bmp);
    }
}

TEST(Resources, TabSkinsUseMagentaKeyAndGradientColumn) {
    HBITMAP bmp =
        static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(106),
                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, bmp);
    Pixels px = ReadBitmap(dc, bmp);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    ::DeleteObject(bmp);
    ASSERT_EQ(px.width, 415);
    EXPECT_EQ(px.rgb(0, 0), RGB(61, 162, 232));
    EXPECT_EQ(px.rgb(0, 24), RGB(15, 106, 172));
    EXPECT_EQ(px.rgb(1, 0), RGB(255, 0, 255)) << "slanted edge on magenta";
    EXPECT_GT(px.r(245 + 61, 5), 240u) << "the selected look is white";
}

TEST(TempDirectory, ExactlyOneTrailingBackslash) {
    char saved[MAX_PATH] = {};
    ::GetEnvironmentVariableA("TMP", saved, MAX_PATH);
    TempDir dir;
    std::string noSlash = dir.path().substr(0, dir.path().size() - 1);
    ::SetEnvironmentVariableA("TMP", noSlash.c_str());
    EXPECT_EQ(GetTempDir(), dir.path());
    ::SetEnvironmentVariableA("TMP", dir.path().c_str());
    EXPECT_EQ(GetTempDir(), dir.path());
    ::SetEnvironmentVariableA("TMP", saved[0] ? saved : nullptr);
    std::string t = GetTempDir();
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ(t.back(), '\\');
    EXPECT_NE(t[t.size() - 2], '\\');
}

TEST(SaveResource, WritesFromFirstByteAndKeepsLongerTail) {
    TempDir dir;
    std::string path = dir.path() + "velm.ico";
    std::string_view icon = ResourceBytes(101, "ICON");
    std::string longer(icon.size() + 5000, 'Z');
    ASSERT_TRUE(WriteFileBytes(path, longer));
    ASSERT_TRUE(SaveResToFile(101, "ICON", path));
    std::string got = ReadFileBytes(path);
    ASSERT_EQ(got.size(), longer.size());
    EXPECT_EQ(got.substr(0, icon.size()), icon);
    EXPECT_EQ(got.substr(icon.size()), std::string(5000, 'Z'));

    std::string fresh = dir.path() + "Update.exe";
    ASSERT_TRUE(SaveResToFile(101, "UPDATE", fresh));
    EXPECT_EQ(ReadFileBytes(fresh), ResourceBytes(101, "UPDATE"));
    EXPECT_FALSE(SaveResToFile(999, "UPDATE", dir.path() + "none"));
    EXPECT_FALSE(SaveResToFile(101, "UPDATE", dir.path() + "no\\dir\\x"));
}

TEST(Splash, LayeredPictureKeepsPerPixelAlpha) {
    WindowObject::SetQuitOnLastWindow(false);
    HWND hwnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 356, 122,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    LayeredImage image;
    image.Show(hwnd, 102);
    EXPECT_NE(::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    EXPECT_EQ(image.Width(), 356);
    EXPECT_EQ(image.Height(), 122);
    Pixels px = ReadBitmap(image.SurfaceDc(), image.SurfaceBitmap());
    ASSERT_EQ(px.width, 356);
    ASSERT_EQ(px.height, 122);
    EXPECT_EQ(px.a(0, 0), 0u) << "the corner is wholly transparent";
    EXPECT_EQ(px.a(178, 60), 255u) << "the plate is opaque";
    EXPECT_LT(px.b(178, 110), 255u);
    // A soft shadow: partly transparent pixels exist below the plate.
    bool partial = false;
    for (int x = 20; x < 336 && !partial; ++x) {
        unsigned a = px.a(x, 117);
        partial = a > 0 && a < 255;
    }
    EXPECT_TRUE(partial);
    image.Release();
    image.Release();
    EXPECT_EQ(image.SurfaceDc(), nullptr);
    ::DestroyWindow(hwnd);
}

TEST(Offline, MessageThenTheProcessEnds) {
    TempDir dir;
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string s = self;
    ChildProcess child;
    ASSERT_TRUE(child.Start(
        std::wstring(s.begin(), s.end()), L"",
        {{L"VELM_TEST_CHILD", L"offline"}, {L"TMP", dir.wpath()}, {L"TEMP", dir.wpath()}}));
    HWND box = WaitForDialog(L"提示", child.Pid());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), Widen(kNoNetworkText));
    EXPECT_EQ(MessageBoxButtons(box), std::vector<int>{IDOK});
    EXPECT_EQ(::FindWindowW(L"velm.LoadFrm", nullptr), nullptr) << "no window before the check";
    PressButton(box, IDOK);
    ASSERT_TRUE(child.Wait(10000));
    EXPECT_EQ(child.ExitCode(), 0u);
    EXPECT_FALSE(FileExists(dir.path() + "update.txt")) << "no update check without a network";
}

TEST(Start, ASplashThatCannotBeMadeEndsTheProcessWithALogLine) {
    TempDir dir;
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string s = self;
    ChildProcess child;
    ASSERT_TRUE(child.Start(
        std::wstring(s.begin(), s.end()), L"",
        {{L"VELM_TEST_CHILD", L"nosplash"}, {L"TMP", dir.wpath()}, {L"TEMP", dir.wpath()}}));
    ASSERT_TRUE(child.Wait(20000));
    EXPECT_EQ(child.ExitCode(), 1u);
    EXPECT_NE(ReadFileBytes(dir.path() + "log.txt").find("LoadFrm: the splash window"),
              std::string::npos)
        << ReadFileBytes(dir.path() + "log.txt");
}

} // namespace
} // namespace velm
