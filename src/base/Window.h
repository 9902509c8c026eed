// The one window plumbing every window of the program sits on, forms and controls alike: one
// static window procedure, one class registration, one object slot (set at WM_NCCREATE, cleared
// at WM_NCDESTROY), one "still alive after this event?" guard and one mouse-message cracker.
//
// The procedure finds its object through the slot, never through the procedure's identity:
// interceptors replace window procedures at run time and must still reach the object behind them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace velm {

// A window class of ours: registered once per name, the first time a window of it is created.
struct ClassInfo {
    std::wstring name;
    UINT style = CS_DBLCLKS;
    HBRUSH background = nullptr; // nullptr: the window paints every pixel itself
    bool programIcon = false;    // the program's own icon (top-level forms)
};

// The Shift (1), Ctrl (2) and Alt (4) keys, as the mouse and key events report them.
std::int16_t ShiftState();

// What a mouse message says: the position in client pixels, the buttons held (left 1, right 2,
// middle 4) and the shift keys as ShiftState() counts them.
struct MouseMessage {
    int x = 0;
    int y = 0;
    std::int16_t buttons = 0;
    std::int16_t shift = 0;
};
MouseMessage CrackMouse(WPARAM wParam, LPARAM lParam);

// The system's arrow, replacing whatever cursor was current.
void ArrowCursor();

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    // The window goes with the object, without calling back into it.
    virtual ~Window();

    HWND hWnd() const noexcept { return hwnd_; }

    // Taken before raising an event whose handler may destroy this object: alive() then tells
    // whether anything of the object may still be touched.
    class AliveGuard {
    public:
        explicit AliveGuard(const Window& window) : life_(window.life_) {}
        bool alive() const noexcept { return !life_.expired(); }

    private:
        std::weak_ptr<int> life_;
    };

protected:
    // Registers `cls` if needed and creates the window with this object in its slot; the window
    // procedure sees the object from WM_NCCREATE on. Null on failure (logged).
    HWND CreateFor(const ClassInfo& cls, DWORD exStyle, const std::wstring& caption, DWORD style,
                   int x, int y, int width, int height, HWND parent);
    // Destroys the window now (no call reaches the object any more). Derived destructors that
    // must take their parts down after the window call this first.
    void DestroyNow();
    // Every guard taken so far reports the object gone: the first step of a destructor whose
    // teardown may still call back into the object.
    void EndLife() noexcept { life_.reset(); }

    // The object's procedure. The default is the system's.
    virtual LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // At WM_NCCREATE, the first message, and after WM_NCDESTROY, when the object no longer has
    // a window.
    virtual void OnWindowCreated() {}
    virtual void OnWindowDestroyed() {}
    // Whether an exception from WndProc leaves the message to the system's procedure (the
    // default) or answers 0.
    virtual LRESULT OnHandlerFailed(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    std::shared_ptr<int> life_ = std::make_shared<int>(0);
};

} // namespace velm
