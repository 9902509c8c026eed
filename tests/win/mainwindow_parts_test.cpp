// The tray icon record and the cache cleaner against Wine's real notification area and URL cache.
#include "mainwindow/CKoNotifyIcon.h"
#include "mainwindow/CacheMain.h"

#include "base/Text.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <cstring>

namespace velm {
namespace {

using namespace velm::test;

HWND MakeWindow() {
    return ::CreateWindowExW(0, L"STATIC", L"tray owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             nullptr, nullptr);
}

// Whether the notification area knows the icon: modifying an icon that does not exist fails.
bool IconExists(const CKoNotifyIcon& icon) {
    NOTIFYICONDATAA probe = icon.TrayData();
    probe.uFlags = 0;
    return ::Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

TEST(TrayIcon, RecordFieldsAsAdded) {
    HWND owner = MakeWindow();
    HICON icon = ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    {
        CKoNotifyIcon tray;
        tray.AddNotifyIcon(owner, icon, "OrvikVelmora客户端");
        const NOTIFYICONDATAA& d = tray.TrayData();
        EXPECT_EQ(d.cbSize, sizeof(void*) == 4 ? 488u : 504u);
        EXPECT_EQ(d.hWnd, owner);
        EXPECT_EQ(d.uID, 1000u);
        EXPECT_EQ(d.uFlags, 0x17u);
        EXPECT_EQ(d.uCallbackMessage, 0x1862u);
        EXPECT_EQ(d.hIcon, icon);
        EXPECT_EQ(std::string(d.szTip), ToAnsi("OrvikVelmora客户端"));
        EXPECT_EQ(std::string(d.szTip).size(), 18u) << "six GBK characters of two bytes";
        EXPECT_EQ(d.szInfo[0], '\0');
        EXPECT_EQ(d.dwInfoFlags, 0u);
        EXPECT_TRUE(IconExists(tray));
    }
    // Destruction removed the icon.
    CKoNotifyIcon probe;
    probe.AddNotifyIcon(owner, icon, "x");
    probe.DeleteNotifyIcon();
    EXPECT_FALSE(IconExists(probe));
    ::DestroyWindow(owner);
}

TEST(TrayIcon, AddedForANewWindowTheOldIconGoes) {
    // The main window loaded again: Windows keeps an icon of a closed window until the pointer
    // passes over it, so the first window is still alive here, as its icon would be there.
    HWND first = MakeWindow();
    HWND second = MakeWindow();
    CKoNotifyIcon tray;
    tray.AddNotifyIcon(first, nullptr, "tip");
    NOTIFYICONDATAA old = tray.TrayData();
    tray.AddNotifyIcon(second, nullptr, "tip");
    old.uFlags = 0;
    EXPECT_FALSE(::Shell_NotifyIconA(NIM_MODIFY, &old)) << "one icon, not two";
    EXPECT_TRUE(IconExists(tray));
    tray.DeleteNotifyIcon();
    ::DestroyWindow(second);
    ::DestroyWindow(first);
}

TEST(TrayIcon, BubbleShowAndHideKeepTheTip) {
    HWND owner = MakeWindow();
    CKoNotifyIcon tray;
    tray.AddNotifyIcon(owner, nullptr, "tip");
    tray.ShowBubble("标题", "内容", NIIF_INFO);
    EXPECT_EQ(std::string(tray.TrayData().szInfoTitle), ToAnsi("标题"));
    EXPECT_EQ(std::string(tray.TrayData().szInfo), ToAnsi("内容"));
    EXPECT_EQ(tray.TrayData().dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
    tray.HideBubble();
    EXPECT_EQ(tray.TrayData().szInfo[0], '\0');
    EXPECT_EQ(tray.TrayData().szInfoTitle[0], '\0');
    EXPECT_EQ(std::string(tray.TrayData().szTip), "tip");
    EXPECT_TRUE(IconExists(tray));
    tray.ModifyNotifyIcon(owner, nullptr, "new tip");
    EXPECT_EQ(std::string(tray.TrayData().szTip), "new tip");
    tray.DeleteNotifyIcon();
    tray.DeleteNotifyIcon(); // harmless twice, and once more at destruction
    EXPECT_FALSE(IconExists(tray));
    ::DestroyWindow(owner);
}

TEST(TrayIcon, LongTextsAreCutOnCharacterBoundaries) {
    char field[128];
    CopyAnsiField(field, sizeof(field), std::string(300, 'a'));
    EXPECT_EQ(std::strlen(field), 127u);
    // 64 Chinese characters are 128 bytes in GBK: 63 fit, the 64th would be cut in half.
    std::string chinese;
    for (int i = 0; i < 64; ++i) {
        chinese += "游";
    }
    CopyAnsiField(field, sizeof(field), chinese);
    EXPECT_EQ(std::strlen(field), 126u);
    EXPECT_EQ(std::string(field), ToAnsi(chinese).substr(0, 126));
    CopyAnsiField(field, sizeof(field), "a" + chinese);
    EXPECT_EQ(std::strlen(field), 127u);
    char title[64];
    CopyAnsiField(title, sizeof(title), std::string(100, 'T'));
    EXPECT_EQ(std::strlen(title), 63u);
}

TEST(TrayIcon, RestoreAddsTheIconAgain) {
    HWND owner = MakeWindow();
    CKoNotifyIcon tray;
    tray.Restore();
    EXPECT_FALSE(IconExists(tray)) << "nothing to restore before the icon was added";
    tray.AddNotifyIcon(owner, nullptr, "tip");
    NOTIFYICONDATAA d = tray.TrayData();
    ::Shell_NotifyIconA(NIM_DELETE, &d); // the taskbar went away with it
    EXPECT_FALSE(IconExists(tray));
    tray.Restore();
    EXPECT_TRUE(IconExists(tray));
    ::DestroyWindow(owner);
}

// Puts an entry of the given type into the real URL cache.
bool AddCacheEntry(const std::string& url, DWORD type) {
    char file[MAX_PATH] = {};
    if (!::CreateUrlCacheEntryA(url.c_str(), 0, "txt", file, 0)) {
        return false;
    }
    WriteFileBytes(file, "cached " + url);
    FILETIME never{};
    return ::CommitUrlCacheEntryA(url.c_str(), file, never, never, type, nullptr, 0, "txt",
                                  nullptr) != FALSE;
}

bool InCache(const std::string& url) {
    DWORD size = 0;
    ::GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size);
    return ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

TEST(CacheCleaner, SystemCacheKeepsOnlyCookiesAndHistory) {
    const std::string normal1 = "http://velm.test/a.png";
    const std::string normal2 = "http://velm.test/b/c.js?x=1";
    const std::string cookie = "Cookie:player@velm.test/";
    const std::string history = "Visited: player@http://velm.test/";
    ASSERT_TRUE(AddCacheEntry(normal1, NORMAL_CACHE_ENTRY));
    ASSERT_TRUE(AddCacheEntry(normal2, NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY));
    ASSERT_TRUE(AddCacheEntry(cookie, COOKIE_CACHE_ENTRY));
    ASSERT_TRUE(AddCacheEntry(history, URLHISTORY_CACHE_ENTRY));
    ASSERT_TRUE(InCache(normal1));
    ASSERT_TRUE(InCache(cookie));

    ClearUrlCache("*.*", 0x300000);

    EXPECT_FALSE(InCache(normal1));
    EXPECT_FALSE(InCache(normal2));
    EXPECT_TRUE(InCache(cookie));
    EXPECT_TRUE(InCache(history));

    ClearUrlCache("*.*", 0);
    EXPECT_FALSE(InCache(cookie)) << "without excluded bits cookies go too";
    EXPECT_FALSE(InCache(history));
    ClearUrlCache("*.*", 0x300000); // an empty cache: nothing to do, nothing reported
}

} // namespace
} // namespace velm
