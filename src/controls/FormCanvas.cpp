#include "controls/FormCanvas.h"

namespace velm {

void FormCanvas::Attach(HWND window) {
    window_ = window;
    Resize();
}

void FormCanvas::Resize() {
    if (!window_) {
        return;
    }
    RECT r{};
    ::GetClientRect(window_, &r);
    int w = r.right > 0 ? r.right : 1;
    int h = r.bottom > 0 ? r.bottom : 1;
    if (surface_ && surface_.width() == w && surface_.height() == h) {
        return;
    }
    WindowDc screen(nullptr);
    surface_.Create(screen.get(), w, h);
    Clear();
}

void FormCanvas::Clear() {
    if (!surface_) {
        return;
    }
    RECT r{0, 0, surface_.width(), surface_.height()};
    UniqueBrush brush(::CreateSolidBrush(back_));
    ::FillRect(surface_.dc(), &r, brush.get());
}

void FormCanvas::Paint(HDC dc) const {
    if (surface_) {
        ::BitBlt(dc, 0, 0, surface_.width(), surface_.height(), surface_.dc(), 0, 0, SRCCOPY);
    }
}

void FormCanvas::Refresh() const {
    if (window_) {
        ::InvalidateRect(window_, nullptr, FALSE);
    }
}

} // namespace velm
