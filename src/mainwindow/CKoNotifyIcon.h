// One icon in the taskbar's notification area for a window, with an optional balloon.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace velm {

class CKoNotifyIcon {
public:
    static constexpr UINT kIconId = 1000;
    static constexpr UINT kCallbackMessage = 0x1862; // WM_TRAYNOTIFY
    // The balloon-capable ANSI record: 488 bytes in the 32-bit program, 504 in the 64-bit one
    // (its handles are pointer-sized).
    static constexpr DWORD kRecordSize = sizeof(void*) == 4 ? 488 : 504;

    CKoNotifyIcon();
    CKoNotifyIcon(const CKoNotifyIcon&) = delete;
    CKoNotifyIcon& operator=(const CKoNotifyIcon&) = delete;
    ~CKoNotifyIcon();

    // Texts are UTF-8; they are stored in the record in the ANSI code page, cut to fit.
    void AddNotifyIcon(HWND hWnd, HICON hIcon, const std::string& strTip);
    void ModifyNotifyIcon(HWND hWnd, HICON hIcon, const std::string& strTip);
    void ShowBubble(const std::string& strTitle, const std::string& strInfo, DWORD eInfoFlags);
    void HideBubble();
    void DeleteNotifyIcon();
    // Adds the icon again from the record as it stands: after the taskbar was re-created (the
    // "TaskbarCreated" broadcast) the old icon is gone.
    void Restore();

    const NOTIFYICONDATAA& TrayData() const noexcept { return data_; }

private:
    void Fill(HWND hWnd, HICON hIcon, const std::string& strTip);

    NOTIFYICONDATAA data_;
    bool added_ = false;
};

// Copies `utf8`, converted to the ANSI code page, into a fixed field of `size` bytes: the text
// and one NUL, cut to fit without leaving half of a double-byte character at the end.
void CopyAnsiField(char* field, size_t size, const std::string& utf8);

} // namespace velm
