#include "mainwindow/WebUrl.h"

#include "base/Handles.h"
#include "base/Log.h"
#include "mainwindow/PageZoom.h"
#include "mainwindow/SoundMute.h"
#include "mainwindow/WebMainFrm.h"
#include "tabstrip/CTabItem.h"

#include <cstdio>

namespace velm {
namespace {
constexpr UINT kShowRetryPage = WM_APP + 0x31;
constexpr UINT kProbeAnswer = WM_APP + 0x32;
constexpr UINT_PTR kRetryTimer = 0x5231;
constexpr UINT_PTR kProbeTimer = 0x5232;

std::string Hex(long status) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(status));
    return text;
}
} // namespace

WebUrl::WebUrl() : picture1_(::GetSysColor(COLOR_BTNFACE), 0, 0, 0, 0) {}

WebUrl::~WebUrl() {
    // The browser goes before the windows it lives in.
    DetachPageSound(wb_.get());
    wb_.reset();
}

FormDesign WebUrl::Design() const {
    FormDesign d;
    d.className = L"velm.WebUrl";
    d.caption = "WebUrl";
    // An ordinary sizable form; the strip takes its caption and border when it hosts it.
    d.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    d.clientWidth = 800;
    d.clientHeight = 600;
    return d;
}

void WebUrl::OnLoad() {
    RECT client{};
    ::GetClientRect(WindowObject::hWnd(), &client);
    picture1_.Create(WindowObject::hWnd());
    ::MoveWindow(picture1_.hWnd(), 0, 0, client.right, client.bottom, FALSE);
    wb_ = CreateBrowser(picture1_.hWnd(), RECT{-2, -2, client.right + 2, client.bottom + 2});
    picture1_.Resized = [this](int width, int height) { Picture1Resized(width, height); };
    if (!wb_) {
        return;
    }
    // While our page stands in for the game's, its events (and the rest of the failed load's)
    // are not the game page's: the tab keeps the game's caption and zoom.
    wb_->events.BeforeNavigate2 = [this](const std::string& url, bool&) { retry_.Starting(url); };
    wb_->events.NavigateError = [this](const std::string& url, long status) {
        PageFailed(url, status);
    };
    wb_->events.TitleChange = [this](const std::string& text) {
        if (retry_.Passes()) {
            TitleChange(text);
        }
    };
    wb_->events.DocumentComplete = [this](const std::string& url, bool topLevel) {
        if (!retry_.Passes()) {
            return;
        }
        if (topLevel) {
            retry_.Completed();
            ApplySiteZoom(*wb_, url);
        }
        DocumentComplete();
    };
    wb_->events.FullScreenChange = [this](bool on) { PageFullScreen(on); };
    AttachPageSound(wb_.get());
    wb_->Navigate("about:blank");
}

void WebUrl::OnUnload() {
    StopRetrying();
    DetachPageSound(wb_.get());
    wb_.reset();
    picture1_.Resized = nullptr;
    picture1_.Destroy();
}

void WebUrl::Initialize(IuTab* Implement, CTabItem* Item) {
    strip_ = Implement;
    item_ = Item;
}

void WebUrl::RefreshPage() {
    if (retry_.state() != PageRetry::State::Normal) {
        TryAgain(); // reloading our page would show it again: the game page is meant
        return;
    }
    if (wb_) {
        wb_->Refresh();
    }
}

void WebUrl::OpenURL(const std::string& szURL) {
    Load();
    StopRetrying();
    retry_.Open();
    address_ = szURL;
    if (wb_) {
        wb_->Navigate(szURL);
    }
}

void WebUrl::PageFailed(const std::string& url, long status) {
    const bool first = retry_.state() == PageRetry::State::Normal;
    if (!retry_.Failed(url, status, address_)) {
        return;
    }
    if (first) {
        // Once per loss: the tries that follow every few seconds would fill the log.
        LogError("WebUrl: " + url + " failed with " + Hex(status) +
                 ": the network is gone; our page shows until it is back");
    }
    // The engine is inside its event: our page goes up once the event has returned.
    if (!::PostMessageW(WindowObject::hWnd(), kShowRetryPage, 0, 0)) {
        LogCallFailed("WebUrl: PostMessageW (retry page)", ::GetLastError());
    }
}

void WebUrl::ShowRetryPage() {
    if (!wb_ || retry_.state() != PageRetry::State::Lost) {
        return;
    }
    wb_->ShowHtml(RetryPageHtml(retry_.Address()));
    HWND hwnd = WindowObject::hWnd();
    if (!::SetTimer(hwnd, kRetryTimer, PageRetry::kRetryMs, nullptr) ||
        !::SetTimer(hwnd, kProbeTimer, PageRetry::kProbeMs, nullptr)) {
        LogCallFailed("WebUrl: SetTimer (retry)", ::GetLastError());
    }
}

void WebUrl::TryAgain() {
    const std::string url = retry_.Retry();
    if (url.empty() || !wb_) {
        return;
    }
    StopRetrying();
    wb_->Navigate(url);
}

void WebUrl::StopRetrying() {
    if (HWND hwnd = WindowObject::hWnd()) {
        ::KillTimer(hwnd, kRetryTimer);
        ::KillTimer(hwnd, kProbeTimer);
    }
    probe_.Stop();
}

void WebUrl::TitleChange(const std::string& Text) {
    if (item_) {
        item_->Caption(Text);
    }
}

void WebUrl::DocumentComplete() {
    // Whichever document completed, the top document loses its scroll bars; a page without a
    // root element is left as it is.
    if (wb_) {
        wb_->SetRootStyle("overflow", "hidden");
    }
}

void WebUrl::PageFullScreen(bool on) {
    // A game's own full-screen button: the shown page takes the whole screen, as with F11.
    if (WebMainFrm::Exists() && ::IsWindowVisible(WindowObject::hWnd())) {
        WebMainFrm::Get().SetFullScreen(on);
    }
}

void WebUrl::Picture1Resized(int width, int height) {
    if (wb_) {
        wb_->Move(-2, -2, width + 4, height + 4);
    }
}

LRESULT WebUrl::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        if (picture1_.hWnd()) {
            ::MoveWindow(picture1_.hWnd(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        }
        return 0;
    case WM_SETFOCUS:
        // The form is only the page's frame: keys are for the page.
        if (wb_) {
            wb_->Focus();
        }
        return 0;
    case kShowRetryPage:
        ShowRetryPage();
        return 0;
    case kProbeAnswer:
        if (retry_.ProbeAnswered(wParam != 0)) {
            TryAgain(); // the server takes connections again
        }
        return 0;
    case WM_TIMER:
        if (wParam == kRetryTimer) {
            TryAgain();
            return 0;
        }
        if (wParam == kProbeTimer) {
            probe_.Start(hwnd, kProbeAnswer, retry_.Address());
            return 0;
        }
        return WindowObject::WndProc(hwnd, msg, wParam, lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        // The frame covers the whole client area; nothing of the form itself shows.
        PaintScope paint(hwnd);
        return 0;
    }
    default:
        return WindowObject::WndProc(hwnd, msg, wParam, lParam);
    }
}

} // namespace velm
