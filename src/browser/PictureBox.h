// A plain child container with a background colour that reports its size changes: the frame an
// embedded browser sits in.
#pragma once

#include "base/WindowObject.h"

#include <functional>

namespace velm {

class PictureBox final : public WindowObject {
public:
    PictureBox(COLORREF background, int left, int top, int width, int height);

    // The parent must be set before the first load; the box is created visible.
    void SetParent(HWND parent) noexcept { parent_ = parent; }
    bool Create();
    // Called with the new client width and height (pixels) after every size change.
    std::function<void(int width, int height)> Resized;

protected:
    FormDesign Design() const override;
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    COLORREF background_;
    int left_, top_, width_, height_;
    HWND parent_ = nullptr;
};

} // namespace velm
