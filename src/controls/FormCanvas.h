// The persistent drawing surface of a window: an off-screen image of the client area that what is
// drawn on the window goes into, and from which the window paints itself. Resizing makes a new
// image of the new size (cleared to the back colour); the owner redraws into it.
#pragma once

#include "base/Handles.h"

namespace velm {

class FormCanvas {
public:
    explicit FormCanvas(COLORREF backColour = RGB(255, 255, 255)) : back_(backColour) {}

    // Follows the window's client size; call on creation and at WM_SIZE.
    void Attach(HWND window);
    void Resize();
    // Clears the image to the back colour.
    void Clear();
    // Paints the image onto the window (WM_PAINT).
    void Paint(HDC dc) const;
    // Tells the window that the image changed.
    void Refresh() const;

    HWND Window() const { return window_; }
    HDC Dc() const { return surface_.dc(); }
    HBITMAP Image() const { return surface_.bitmap(); }
    int WidthPx() const { return surface_.width(); }
    int HeightPx() const { return surface_.height(); }
    long Width() const { return surface_.width() * 15L; }
    long Height() const { return surface_.height() * 15L; }
    COLORREF BackColour() const { return back_; }
    void SetBackColour(COLORREF c) { back_ = c; }

private:
    HWND window_ = nullptr;
    MemorySurface surface_;
    COLORREF back_;
};

} // namespace velm
