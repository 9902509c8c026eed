// The base of the skinned controls: a child window whose procedure finds its object through the
// pointer stored at WM_NCCREATE. The window goes with the object.
#pragma once

#include <windows.h>

#include <cstdint>

namespace velm {

// The Shift (1), Ctrl (2) and Alt (4) keys held now, as the controls' mouse and key events report.
std::int16_t ShiftState();

class ControlWindow {
public:
    ControlWindow() = default;
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;
    virtual ~ControlWindow();

    HWND hWnd() const noexcept { return hwnd_; }

    // Place in the parent's client area, in twips.
    long Left() const;
    long Top() const;
    long Width() const;
    long Height() const;
    // Moves and sizes the control (twips); negative width or height keep the current one.
    void Move(long left, long top, long width = -1, long height = -1);
    void SetLeft(long left) { Move(left, Top()); }
    void SetTop(long top) { Move(Left(), top); }
    void SetWidth(long width) { Move(Left(), Top(), width, Height()); }
    void SetHeight(long height) { Move(Left(), Top(), Width(), height); }

protected:
    // Creates the (hidden) child window of class `className` registered with this procedure.
    bool CreateControl(const wchar_t* className, HWND parent, long left, long top, long width,
                       long height);
    virtual LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Called once the window exists, before CreateControl returns.
    virtual void OnCreated() {}

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    RECT PlaceInParent() const;

    HWND hwnd_ = nullptr;
};

} // namespace velm
