// The basic browser engine: fetches pages over HTTP with WinINet on a worker thread and raises
// the browser events in the system control's order (before-navigate, title, frame completions,
// top completion). It paints the page's background, text and links, follows a clicked link and
// a refresh meta element. It exists so the client runs where the system control has no HTML
// renderer; it is no web browser.
#pragma once

#include "base/Handles.h"
#include "base/Window.h"
#include "browser/HtmlDocument.h"
#include "browser/HtmlLayout.h"
#include "browser/IBrowser.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace velm {

class CBasicBrowser final : public Window, public IBrowser {
public:
    static std::unique_ptr<IBrowser> Create(HWND parent, const RECT& place);
    ~CBasicBrowser() override;

    HWND hWnd() const override { return Window::hWnd(); }
    void Move(int left, int top, int width, int height) override;
    void Navigate(const std::string& url) override;
    void Refresh() override;
    void ShowHtml(const std::string& html) override;
    std::string DocumentUrl() const override;
    std::string RootInnerHtml() const override;
    bool SetRootStyle(const std::string& name, const std::string& value) override;
    std::string RootStyle(const std::string& name) const override;
    void SuppressContextMenu(bool suppress) override { suppressMenu_ = suppress; }
    void Focus() override;
    // The engine has no accelerators of its own: its keys go the usual way.
    bool TranslateAccelerator(MSG&) override { return false; }
    // Lays the page out at a width of 100/percent of the window's and draws it that much larger.
    void SetZoom(int percent) override;
    // The engine plays no sound: it only keeps the state, for inspection.
    void SetMuted(bool muted) override { muted_ = muted; }
    int Zoom() const noexcept { return zoom_; }
    bool Muted() const noexcept { return muted_; }

    // The current layout, for inspection.
    const PageLayout& Layout();

    struct FetchResult;
    struct Mailbox;

private:
    CBasicBrowser() = default;
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The parent went first: the window is gone, and with it the fetch results' address.
    void OnWindowDestroyed() override;
    void Start(const std::string& url);
    void Deliver();
    void Complete(FetchResult& result);
    void Paint();
    HFONT Font(const PageFont& font);
    void ShowContextMenu(POINT screen);

    std::shared_ptr<Mailbox> mailbox_;
    std::optional<HtmlDocument> document_;
    PageLayout layout_;
    bool layoutValid_ = false;
    MemorySurface surface_;
    std::map<std::pair<int, bool>, UniqueFont> fonts_;
    unsigned navigation_ = 0;
    std::string refreshUrl_;
    std::string pressedLink_;
    bool suppressMenu_ = false;
    int zoom_ = 100;
    bool muted_ = false;
};

} // namespace velm
