#include "mainwindow/CKoNotifyIcon.h"

#include "base/Text.h"

#include <cstring>

namespace velm {

static_assert(sizeof(NOTIFYICONDATAA) >= CKoNotifyIcon::kRecordSize);
static_assert(offsetof(NOTIFYICONDATAA, szTip) + 128 <= CKoNotifyIcon::kRecordSize);
static_assert(offsetof(NOTIFYICONDATAA, dwInfoFlags) + sizeof(DWORD) == CKoNotifyIcon::kRecordSize);

void CopyAnsiField(char* field, size_t size, const std::string& utf8) {
    std::memset(field, 0, size);
    if (size == 0) {
        return;
    }
    std::string ansi = ToAnsi(utf8);
    size_t limit = size - 1;
    size_t n = 0;
    // Walk whole characters so a cut never splits a lead byte from its trail byte.
    while (n < ansi.size()) {
        size_t step = ::IsDBCSLeadByte(static_cast<BYTE>(ansi[n])) ? 2 : 1;
        if (n + step > limit || n + step > ansi.size()) {
            break;
        }
        n += step;
    }
    std::memcpy(field, ansi.data(), n);
}

CKoNotifyIcon::CKoNotifyIcon() {
    std::memset(&data_, 0, sizeof(data_));
    data_.cbSize = kRecordSize;
}

CKoNotifyIcon::~CKoNotifyIcon() {
    DeleteNotifyIcon();
}

void CKoNotifyIcon::Fill(HWND hWnd, HICON hIcon, const std::string& strTip) {
    data_.cbSize = kRecordSize;
    data_.hIcon = hIcon;
    data_.hWnd = hWnd;
    data_.uID = kIconId;
    data_.uCallbackMessage = kCallbackMessage;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
    CopyAnsiField(data_.szTip, sizeof(data_.szTip), strTip);
}

void CKoNotifyIcon::AddNotifyIcon(HWND hWnd, HICON hIcon, const std::string& strTip) {
    // One object, one icon: an icon added for an earlier window of the owner (its window was
    // closed and loaded again) would otherwise stay behind as a ghost.
    if (added_) {
        DeleteNotifyIcon();
    }
    Fill(hWnd, hIcon, strTip);
    ::Shell_NotifyIconA(NIM_ADD, &data_);
    added_ = true;
}

void CKoNotifyIcon::ModifyNotifyIcon(HWND hWnd, HICON hIcon, const std::string& strTip) {
    Fill(hWnd, hIcon, strTip);
    ::Shell_NotifyIconA(NIM_MODIFY, &data_);
}

void CKoNotifyIcon::ShowBubble(const std::string& strTitle, const std::string& strInfo,
                               DWORD eInfoFlags) {
    CopyAnsiField(data_.szInfoTitle, sizeof(data_.szInfoTitle), strTitle);
    CopyAnsiField(data_.szInfo, sizeof(data_.szInfo), strInfo);
    data_.dwInfoFlags = eInfoFlags;
    ::Shell_NotifyIconA(NIM_MODIFY, &data_);
}

void CKoNotifyIcon::HideBubble() {
    CopyAnsiField(data_.szInfoTitle, sizeof(data_.szInfoTitle), "");
    CopyAnsiField(data_.szInfo, sizeof(data_.szInfo), "");
    ::Shell_NotifyIconA(NIM_MODIFY, &data_);
}

void CKoNotifyIcon::DeleteNotifyIcon() {
    // Harmless twice: the second request names an icon that no longer exists.
    ::Shell_NotifyIconA(NIM_DELETE, &data_);
    added_ = false;
}

void CKoNotifyIcon::Restore() {
    if (added_) {
        ::Shell_NotifyIconA(NIM_ADD, &data_);
    }
}

} // namespace velm
