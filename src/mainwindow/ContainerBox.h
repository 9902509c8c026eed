// A plain child window of the main window: the content area that hosts the tab forms, and the
// logo. It paints its colour or picture and shows the arrow cursor under a pressed or moving
// pointer.
#pragma once

#include "base/Handles.h"
#include "base/WindowObject.h"

namespace velm {

class ContainerBox final : public WindowObject {
public:
    // Position and size in pixels of the parent's client area.
    ContainerBox(HWND parent, COLORREF background, int left, int top, int width, int height);
    ~ContainerBox() override;

    bool Create();
    // Shows `bitmap` at (0, 0), unscaled; the box keeps it.
    void SetPicture(UniqueBitmap bitmap);
    HBITMAP Picture() const noexcept { return picture_.get(); }

protected:
    FormDesign Design() const override;
    LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HWND parent_;
    COLORREF background_;
    int left_, top_, width_, height_;
    UniqueBitmap picture_;
};

// The system's arrow, replacing whatever cursor was current.
void ArrowCursor();

} // namespace velm
