// A PNG resource shown with its per-pixel transparency in a layered window. Shared by the
// loading window and the login background window.
#pragma once

#include <windows.h>

#include "base/Handles.h"

#include <memory>

namespace velm {

class LayeredImage {
public:
    LayeredImage();
    LayeredImage(const LayeredImage&) = delete;
    LayeredImage& operator=(const LayeredImage&) = delete;
    ~LayeredImage();

    // Adds WS_EX_LAYERED to `hwnd`, starts GDI+, decodes the "PNG" resource `id`, draws it into a
    // memory bitmap and pushes that to the window with UpdateLayeredWindow. Failures leave an
    // empty (invisible) layered window.
    void Show(HWND hwnd, unsigned short id);
    // Starts GDI+ and decodes "PNG" `id` on a thread of its own, so that the work overlaps what
    // the caller does next; the next Show of that picture takes the result (waiting for it if
    // need be) instead of starting and decoding again.
    static void Prepare(unsigned short id);
    // Releases, in order: image, graphics, GDI+, then the memory surface (previous bitmap selected
    // back, bitmap deleted, DC deleted). Safe to call twice.
    void Release() noexcept;

    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    // The memory surface holding the drawn picture (premultiplied BGRA), for inspection.
    HDC SurfaceDc() const noexcept { return surface_.dc(); }
    HBITMAP SurfaceBitmap() const noexcept { return surface_.bitmap(); }

    // The GDI+ objects of one picture.
    struct GdiplusState;

private:
    std::unique_ptr<GdiplusState> gdiplus_;
    MemorySurface surface_;
    int width_ = 0;
    int height_ = 0;
};

} // namespace velm
