// Saves a device context's state for the scope (text colour, background mode, pen mode, stretch
// mode, selected objects) and restores all of it at the end.
#pragma once

#include <windows.h>

namespace velm {

class DcStateScope {
public:
    explicit DcStateScope(HDC dc) noexcept : dc_(dc), saved_(dc ? ::SaveDC(dc) : 0) {}
    DcStateScope(const DcStateScope&) = delete;
    DcStateScope& operator=(const DcStateScope&) = delete;
    ~DcStateScope() {
        if (saved_) {
            ::RestoreDC(dc_, saved_);
        }
    }

private:
    HDC dc_;
    int saved_;
};

} // namespace velm
