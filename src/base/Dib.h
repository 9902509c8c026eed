// The one pixel layout the program reads and writes bitmaps in.
#pragma once

#include <windows.h>

namespace velm {

// The header of a top-down 32-bit DIB: one 0xAARRGGBB word a pixel, the first row on top.
inline BITMAPINFO TopDownDib32(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

} // namespace velm
