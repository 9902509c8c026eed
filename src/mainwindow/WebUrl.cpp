#include "mainwindow/WebUrl.h"

#include "base/Handles.h"
#include "mainwindow/PageZoom.h"
#include "mainwindow/SoundMute.h"
#include "mainwindow/WebMainFrm.h"
#include "tabstrip/CTabItem.h"

namespace velm {

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
    wb_->events.TitleChange = [this](const std::string& text) { TitleChange(text); };
    wb_->events.DocumentComplete = [this](const std::string& url, bool topLevel) {
        if (topLevel) {
            ApplySiteZoom(*wb_, url);
        }
        DocumentComplete();
    };
    wb_->events.FullScreenChange = [this](bool on) { PageFullScreen(on); };
    AttachPageSound(wb_.get());
    wb_->Navigate("about:blank");
}

void WebUrl::OnUnload() {
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
    if (wb_) {
        wb_->Refresh();
    }
}

void WebUrl::OpenURL(const std::string& szURL) {
    Load();
    if (wb_) {
        wb_->Navigate(szURL);
    }
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
