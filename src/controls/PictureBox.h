// A plain child window that holds other windows: the frame around an embedded browser, the main
// window's content area and its logo. It paints its background colour and, when it has one, a
// picture at its top-left corner, and shows the arrow under a pressed or moving pointer.
#pragma once

#include "base/Handles.h"
#include "controls/ControlWindow.h"

#include <functional>

namespace velm {

class PictureBox final : public ControlWindow {
public:
    // Position and size in twips of the parent's client area.
    PictureBox(COLORREF background, long left, long top, long width, long height);

    // Creates the window as a child of `parent` and shows it.
    bool Create(HWND parent);
    void Destroy() { DestroyNow(); }
    // Shows `bitmap` at (0, 0), unscaled; the box keeps it.
    void SetPicture(UniqueBitmap bitmap);
    HBITMAP Picture() const noexcept { return picture_.get(); }

    // Raised with the new client size in pixels on every resize.
    std::function<void(int width, int height)> Resized;

protected:
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    COLORREF background_;
    long left_, top_, width_, height_;
    UniqueBitmap picture_;
};

} // namespace velm
