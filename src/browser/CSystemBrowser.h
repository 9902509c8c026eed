// The system engine: the system's WebBrowser control hosted in place through OLE by our own
// client site, with a DWebBrowserEvents2 sink on its connection point and a document host UI
// handler that answers the page's context menu. The control is put in its modern standards mode
// for this program before it is created (see EnsureModernDocumentMode).
#pragma once

#include "base/Handles.h"
#include "browser/IBrowser.h"

#include <exdisp.h>
#include <oleidl.h>

#include <memory>
#include <string>

namespace velm {

class CSystemBrowser final : public IBrowser {
public:
    static std::unique_ptr<IBrowser> Create(HWND parent, const RECT& place);
    ~CSystemBrowser() override;

    HWND hWnd() const override;
    void Move(int left, int top, int width, int height) override;
    void Navigate(const std::string& url) override;
    void Refresh() override;
    // Goes to "about:blank" and writes the page into that document once it is complete.
    void ShowHtml(const std::string& html) override;
    std::string DocumentUrl() const override;
    std::string RootInnerHtml() const override;
    bool SetRootStyle(const std::string& name, const std::string& value) override;
    std::string RootStyle(const std::string& name) const override;
    void SuppressContextMenu(bool suppress) override { suppressMenu_ = suppress; }
    // Activates the control's user interface, which focuses its document.
    void Focus() override;
    // Hands the key to the control's active object, which the control names once its user
    // interface is active.
    bool TranslateAccelerator(MSG& msg) override;
    // The control's optical zoom.
    void SetZoom(int percent) override;
    // The control plays its sound in this process's own audio session, so that session is muted.
    void SetMuted(bool muted) override;

    // True while the control is in-place active in its parent.
    bool InPlaceActive() const noexcept { return inPlaceActive_; }
    IWebBrowser2* Control() const noexcept { return browser_.get(); }

    // The WebBrowser control renders in an old compatibility mode unless the program is listed
    // under the per-user FEATURE_BROWSER_EMULATION key; this lists the running executable with
    // the standards mode of the newest engine (11001). Returns the value name written.
    static std::wstring EnsureModernDocumentMode();
    // Turns on, for this process, the browser lockdowns the system browser uses for itself.
    static void EnableProcessLockdowns();
    static constexpr unsigned long kEmulationMode = 11001;

    // Controls whose release waits for their event to return (destroyed inside a handler).
    static size_t PendingReleases() noexcept;
    // Releases them now.
    static void ReleasePending() noexcept;

    class Site;
    class Sink;
    struct Remains;

private:
    CSystemBrowser() = default;
    static HWND hWndOf(IOleObject* object);
    void OnEvent(DISPID id, DISPPARAMS* params);
    // The event's browser object (its first argument) is the control itself, not a frame's.
    bool IsTopLevel(const VARIANT* who) const;

    HWND parent_ = nullptr;
    RECT place_{};
    ComPtr<Site> site_;
    ComPtr<Sink> sink_;
    ComPtr<IOleObject> object_;
    ComPtr<IWebBrowser2> browser_;
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
    bool inPlaceActive_ = false;
    bool suppressMenu_ = false;
    std::string pendingHtml_; // written into the next blank document
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace velm
