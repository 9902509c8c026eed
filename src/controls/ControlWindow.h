// The base of the skinned controls: a child window placed and measured in twips. The window goes
// with the object.
#pragma once

#include "base/Window.h"

namespace velm {

class ControlWindow : public Window {
public:
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
    // Creates the (hidden) child window of class `className`, placed in twips.
    bool CreateControl(const wchar_t* className, HWND parent, long left, long top, long width,
                       long height, DWORD style = WS_CHILD | WS_CLIPSIBLINGS);
    // Called once the window exists, before CreateControl returns.
    virtual void OnCreated() {}
    // Called when the control's window was moved to a monitor of another scale: fonts and
    // pictures made for the old one are made again.
    virtual void OnDpiChanged() {}
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    RECT PlaceInParent() const;
};

} // namespace velm
