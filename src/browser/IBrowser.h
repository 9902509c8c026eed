// The embedded web browser as the client uses it: navigate, reload, the cancellable
// before-navigate event, document completion (frames before the top document), title changes,
// the current document's address, the root element's inner HTML and inline style, and the
// page's context menu.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace velm {

struct BrowserEvents {
    // Before a navigation starts; setting `cancel` stops it.
    std::function<void(const std::string& url, bool& cancel)> BeforeNavigate2;
    // A document has completed; `topLevel` is false for a frame's document.
    std::function<void(const std::string& url, bool topLevel)> DocumentComplete;
    std::function<void(const std::string& text)> TitleChange;
    // The top document's navigation failed (a frame's failure is not reported: the page stands
    // without it). `status` is an HTTP status (the server answered) or an HRESULT: an INET_E_*
    // code, or a WinINet error as HRESULT_FROM_WIN32.
    std::function<void(const std::string& url, long status)> NavigateError;
    // The page put one of its elements in full screen (true) or left it (false).
    std::function<void(bool fullScreen)> FullScreenChange;
};

class IBrowser {
public:
    IBrowser();
    IBrowser(const IBrowser&) = delete;
    IBrowser& operator=(const IBrowser&) = delete;
    virtual ~IBrowser();

    // The browser's own window (a child of the parent it was created in), once it exists.
    virtual HWND hWnd() const = 0;
    // Places the browser in its parent's client coordinates (pixels).
    virtual void Move(int left, int top, int width, int height) = 0;
    // Starts a navigation and returns; the page loads asynchronously.
    virtual void Navigate(const std::string& url) = 0;
    virtual void Refresh() = 0;
    // Shows a page of the program's own, `html` (a whole UTF-8 document), in place of the current
    // one without asking the network. It completes like a page, at the address "about:blank";
    // its links lead where they say.
    virtual void ShowHtml(const std::string& html) = 0;
    // The address of the current document; "" when there is none.
    virtual std::string DocumentUrl() const = 0;
    // The inner HTML of the current document's root element; "" when there is none.
    virtual std::string RootInnerHtml() const = 0;
    // Sets one inline style property of the top document's root element. False when the
    // document has no root element yet.
    virtual bool SetRootStyle(const std::string& name, const std::string& value) = 0;
    virtual std::string RootStyle(const std::string& name) const = 0;
    // True: a right click on the page opens no context menu.
    virtual void SuppressContextMenu(bool suppress) = 0;
    // Puts the keyboard focus into the page.
    virtual void Focus() = 0;
    // A key meant for a window of this browser, before it is translated: true when the page
    // acted on it (Tab between fields, Enter, the editing keys), so nobody else gets it.
    virtual bool TranslateAccelerator(MSG& msg) = 0;
    // Shows the page at `percent` of its designed size (100: as designed).
    virtual void SetZoom(int percent) = 0;
    // Silences the page's sound, or lets it play again.
    virtual void SetMuted(bool muted) = 0;
    // The window it lives in was hidden or shown again (F10): an engine that draws in a process
    // of its own stops or resumes drawing. The window's own visibility needs nothing more.
    virtual void ShowView(bool visible) { (void)visible; }
    // Takes a PNG picture of what the page shows with the engine's own means and hands its bytes
    // to `done` (empty on failure), possibly later. False when the engine has none: a copy of
    // the window's pixels shows the page then.
    virtual bool CapturePage(std::function<void(const std::string& png)> done) {
        (void)done;
        return false;
    }

    // The events are raised on the window thread. A handler may destroy the browser; the engine
    // touches nothing of itself after such a call.
    BrowserEvents events;
};

// Offers a key to the browser whose window holds the message's window. Every message loop does
// this through its message filters once a browser exists.
bool TranslateBrowserAccelerator(MSG& msg);
// Releases the controls whose release still waits for their event to return, and the modern
// runtime's environment. The program calls this when its message loop has ended, before COM goes.
void ReleaseDeferredBrowsers();

// The browser whose window is `window` or lies inside it; null when none.
IBrowser* BrowserIn(HWND window);
// Tells every browser inside the top-level window `top` that the window was hidden or shown.
void ShowBrowsersIn(HWND top, bool visible);

// The profile (cookies, storage, caches) the modern engine gives the browsers created from now
// on; "" for the runtime's default one. Each login window sets its own before it creates its
// page, and the tabs it opens get the same. The other engines have one profile for all.
void SetBrowserProfile(std::string name);
const std::string& BrowserProfile();
// Empties the disk caches of the modern engine's profiles in use (cookies and history stay),
// then calls `done` (at once when there is nothing to empty).
void ClearBrowserCaches(std::function<void()> done);

// Basic: our own small engine (tests, demo). System: the WebBrowser control. Modern: the
// system's modern web runtime (WebView2). Auto: modern where its runtime starts, else system.
enum class BrowserEngine { Basic, System, Modern, Auto };

// The engine this build was configured with (CMake option VELM_BROWSER_ENGINE), unless the
// environment variable VELM_BROWSER (system, modern or auto) names another.
BrowserEngine ConfiguredBrowserEngine();
// Starts the modern runtime when the configured engine may use it; returns at once. The program
// calls this as early as it can without delaying its first window.
void PrepareBrowserEngine();
// The engine every browser of this process gets: decided once, before the first browser (which
// may wait up to ModernRuntime::kStartLimitMs for the modern runtime), and logged with the
// runtime's version or the step that failed.
BrowserEngine ChosenBrowserEngine();
// Creates a browser of the chosen engine as a child of `parent` at the given place. Returns
// nullptr on failure.
std::unique_ptr<IBrowser> CreateBrowser(HWND parent, const RECT& place);
std::unique_ptr<IBrowser> CreateBrowser(BrowserEngine engine, HWND parent, const RECT& place);

} // namespace velm
