// A plain child window that holds other windows: the frame around an embedded browser, the main
// window's content area and its logo. It paints its background colour and, when it has one, a
// picture at its top-left corner, and shows the arrow under a pressed or moving pointer.
#pragma once

#include "base/Handles.h"
#include "base/WindowObject.h"

#include <functional>

namespace velm {

class PictureBox final : public WindowObject {
public:
    // Position and size in pixels of the parent's client area.
    PictureBox(COLORREF background, int left, int top, int width, int height);

    void SetParent(HWND parent) noexcept { parent_ = parent; }
    // Creates the window (a child of the parent given before) and shows it.
    bool Create();
    // Shows `bitmap` at (0, 0), unscaled; the box keeps it.
    void SetPicture(UniqueBitmap bitmap);
    HBITMAP Picture() const noexcept { return picture_.get(); }

    // Raised with the new client size on every resize.
    std::function<void(int width, int height)> Resized;

protected:
    FormDesign Design() const override;
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    COLORREF background_;
    int left_, top_, width_, height_;
    HWND parent_ = nullptr;
    UniqueBitmap picture_;
};

} // namespace velm
