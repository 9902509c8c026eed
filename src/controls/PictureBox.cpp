#include "controls/PictureBox.h"

#include "base/SkinBitmap.h"
#include "base/WindowDpi.h"

namespace velm {

PictureBox::PictureBox(COLORREF background, long left, long top, long width, long height)
    : background_(background), left_(left), top_(top), width_(width), height_(height) {}

bool PictureBox::Create(HWND parent) {
    if (!hWnd() && !CreateControl(L"velm.PictureBox", parent, left_, top_, width_, height_,
                                  WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS)) {
        return false;
    }
    ::ShowWindow(hWnd(), SW_SHOWNA);
    return true;
}

void PictureBox::SetPicture(UniqueBitmap bitmap) {
    picture_ = std::move(bitmap);
    if (hWnd()) {
        ::InvalidateRect(hWnd(), nullptr, FALSE);
    }
}

LRESULT PictureBox::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintScope paint(hwnd);
        UniqueBrush brush(::CreateSolidBrush(background_));
        ::FillRect(paint.dc(), &paint.rect(), brush.get());
        if (picture_) {
            BITMAP info{};
            ::GetObjectW(picture_.get(), sizeof(info), &info);
            const int dpi = WindowDpi(hwnd);
            if (dpi != kDesignDpi) {
                // The picture's design size at this scale.
                SkinPixels pixels = ReadSkinPixels(picture_.get());
                DrawSkin(paint.dc(), 0, 0, ScaleDesignPixels(info.bmWidth, dpi),
                         ScaleDesignPixels(info.bmHeight, dpi), pixels.View(), 0, 0, pixels.width,
                         pixels.height);
                return 0;
            }
            UniqueMemoryDc dc(::CreateCompatibleDC(paint.dc()));
            SelectScope select(dc.get(), picture_.get());
            ::BitBlt(paint.dc(), 0, 0, info.bmWidth, info.bmHeight, dc.get(), 0, 0, SRCCOPY);
        }
        return 0;
    }
    case WM_SIZE:
        if (Resized) {
            auto handler = Resized;
            handler(LOWORD(lParam), HIWORD(lParam));
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEMOVE:
        ArrowCursor();
        return 0;
    default:
        return ControlWindow::WndProc(hwnd, msg, wParam, lParam);
    }
}

} // namespace velm
