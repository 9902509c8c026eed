// The base of the program's window objects: created once on first use, loaded (window created and
// load handler run) when first touched, unloaded through query-unload, unload and destroy.
#pragma once

#include "base/Window.h"

#include <string>

namespace velm {

struct FormDesign {
    std::wstring className; // registered once per name
    std::string caption;    // UTF-8
    DWORD style = WS_OVERLAPPEDWINDOW;
    DWORD exStyle = 0;
    int clientWidth = 0; // pixels
    int clientHeight = 0;
    HWND parent = nullptr; // owner for top-level windows, parent for WS_CHILD
    bool centred = false;  // centre on the screen at creation
    int left = CW_USEDEFAULT;
    int top = CW_USEDEFAULT;
    HBRUSH background = nullptr; // nullptr: erase suppressed, the window paints everything
    UINT classStyle = CS_DBLCLKS;
};

class WindowObject : public Window {
public:
    WindowObject() = default;
    ~WindowObject() override;

    bool IsLoaded() const noexcept { return hWnd() != nullptr; }

    // Creates the window and runs the load handler, once. Returns false if creation failed.
    bool Load();
    // Query-unload (which may cancel), the unload handler, then the window is destroyed. Returns
    // false when cancelled. Unloading an object that is not loaded does nothing.
    bool Unload();
    // Loads if needed, then shows the window.
    void Show(int showCommand = SW_SHOWNORMAL);
    void Hide();

    // Places a window so that its outer rectangle is centred on the primary screen.
    static void CentreOnScreen(HWND hwnd);

    // When the last window object's window is gone the message loop is told to end. Tests that
    // create window objects of their own turn this off.
    static void SetQuitOnLastWindow(bool quit) noexcept;
    static bool QuitOnLastWindow() noexcept;
    static int LiveWindows() noexcept;

protected:
    virtual FormDesign Design() const = 0;
    virtual void OnLoad() {}
    virtual void OnQueryUnload(bool& cancel) { (void)cancel; }
    virtual void OnUnload() {}
    // The window's own procedure; the default passes everything to DefWindowProcW, and WM_CLOSE
    // unloads the object.
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Called at WM_NCDESTROY, after which the object no longer has a window.
    virtual void OnDestroyed() {}
    void OnWindowCreated() final;
    void OnWindowDestroyed() final;

    LRESULT DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    bool loading_ = false;
    bool unloading_ = false;
};

// The one object of a window object class that exists once: made on first use, it lives until
// Destroy() (or the process) ends it; its window comes and goes with load and unload. The class
// befriends FormInstance<itself> when its constructor is private.
template <class T> class FormInstance {
public:
    static T& Get() {
        if (!instance_) {
            instance_ = new T();
        }
        return *instance_;
    }
    static T* Pointer() noexcept { return instance_; }
    static void Destroy() noexcept {
        delete instance_;
        instance_ = nullptr;
    }

private:
    static inline T* instance_ = nullptr;
};

// Keys (and the mouse wheel) are offered to the program's filters before translation: the main
// window's own keys first, then the focused page's accelerators. A filter returns true when it
// consumed the key.
using MessageFilter = bool (*)(MSG& msg);
enum class FilterOrder { Window, Page };
// Adding a filter twice keeps one entry.
void AddMessageFilter(MessageFilter filter, FilterOrder order);
void RemoveMessageFilter(MessageFilter filter);
// Offers a key message to the filters only: true when one consumed it. Keys that never pass
// this thread's queue (those of a page shown by another process) come this way.
bool FilterKey(MSG& msg);
// What every message loop of the program does with a message it took from the queue: a key goes
// to the filters, anything not consumed is translated and dispatched.
void DispatchQueued(MSG& msg);

// Runs the thread's message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();
// Lets pending messages of this thread run (the downloader calls this between pieces). A WM_QUIT
// met on the way is posted again so the outer loop still sees it.
void ProcessPendingMessages();
// Ends the process at once: no window's unload steps run.
[[noreturn]] void TerminateNow(unsigned exitCode = 0);

} // namespace velm
