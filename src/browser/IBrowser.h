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
    // A navigation failed; `status` is an HTTP status or an HRESULT.
    std::function<void(const std::string& url, long status)> NavigateError;
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

    // The events are raised on the window thread. A handler may destroy the browser; the engine
    // touches nothing of itself after such a call.
    BrowserEvents events;
};

// Offers a key to the browser whose window holds the message's window. Every message loop does
// this through its message filters once a browser exists.
bool TranslateBrowserAccelerator(MSG& msg);
// Releases the controls whose release still waits for their event to return. The program calls
// this when its message loop has ended, before COM goes.
void ReleaseDeferredBrowsers();

enum class BrowserEngine { Basic, System };

// The engine this build was configured with (CMake option VELM_BROWSER_ENGINE).
BrowserEngine ConfiguredBrowserEngine();
// Creates a browser as a child of `parent` at the given place. Returns nullptr on failure.
std::unique_ptr<IBrowser> CreateBrowser(HWND parent, const RECT& place);
std::unique_ptr<IBrowser> CreateBrowser(BrowserEngine engine, HWND parent, const RECT& place);

} // namespace velm
