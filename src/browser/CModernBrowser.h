// The modern engine: the system's modern web runtime (WebView2), whose pages run in processes of
// their own. The browser's window is ours and exists at once; the runtime's view is created in
// it asynchronously, and what the client asks before the view exists (an address, the menu
// switch, the focus) is kept and applied when it comes. The root element's inner HTML and
// inline style are script in the runtime: they are read and written by script after each
// completed document, and the answers kept here for the synchronous interface.
#pragma once

#include "base/Handles.h"
#include "browser/IBrowser.h"
#include "browser/WebView2.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace velm {

class CModernBrowser final : public IBrowser {
public:
    // A render process that fails again within this time after a reload is not reloaded again.
    static constexpr unsigned long kRepeatedFailureMs = 60000;

    // Creates the browser's window at once and the runtime's view when the environment is
    // ready; nullptr when the window cannot be created or the runtime cannot start.
    static std::unique_ptr<IBrowser> Create(HWND parent, const RECT& place);
    ~CModernBrowser() override;

    HWND hWnd() const override;
    void Move(int left, int top, int width, int height) override;
    void Navigate(const std::string& url) override;
    void Refresh() override;
    void ShowHtml(const std::string& html) override;
    std::string DocumentUrl() const override;
    std::string RootInnerHtml() const override;
    bool SetRootStyle(const std::string& name, const std::string& value) override;
    std::string RootStyle(const std::string& name) const override;
    void SuppressContextMenu(bool suppress) override;
    void Focus() override;
    // The runtime's keys never pass this thread's queue; they come as its accelerator event.
    bool TranslateAccelerator(MSG&) override { return false; }
    void ShowView(bool visible) override;
    // The controller's zoom factor; the view's own mute.
    void SetZoom(int percent) override;
    void SetMuted(bool muted) override;
    // The view's own picture (its pages are drawn by another process, not into our window).
    bool CapturePage(std::function<void(const std::string& png)> done) override;

    // The runtime's objects once the view exists (null before), for inspection.
    ICoreWebView2Controller* Controller() const noexcept;
    ICoreWebView2* View() const noexcept;

    struct Core;

private:
    CModernBrowser() = default;

    std::shared_ptr<Core> core_;
};

// Closes the views whose release waits for the runtime's event to return (a browser destroyed
// inside one of its events), and drops the environment. The program calls this when its message
// loop has ended, before COM goes.
void ReleaseModernBrowsers() noexcept;

} // namespace velm
