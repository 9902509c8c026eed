// Drawing helpers of the tab strip: memory surfaces, nine-grid and key-coloured copies, text in
// a rectangle. The surface makers raise CTabError with the failing call's description.
#pragma once

#include "base/Handles.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <cstdint>
#include <vector>
#include <string_view>

namespace velm::mdlTabAPI {

inline constexpr COLORREF kKeyColour = RGB(255, 0, 255);

using Surface = std::unique_ptr<MemorySurface>;

// A new memory surface with a new screen-compatible bitmap of the given size.
Surface CreateMemDC(int width, int height);
// A new memory surface with a new 32-bit top-down DIB section of the given size, whose pixels
// (0x00RRGGBB) the caller may also write directly through `bits`.
Surface CreateDibDC(int width, int height, std::uint32_t** bits);
// The pixels of a bitmap that is not selected into any surface, as 32-bit 0x00RRGGBB rows.
std::vector<std::uint32_t> ReadBitmapPixels(HBITMAP bitmap, int& width, int& height);
// A new memory surface with `bitmap` selected; the surface owns the bitmap from then on.
Surface CreateImageDC(UniqueBitmap bitmap);
// Deletes the surface and the bitmap selected in it.
bool DeleteMemDC(Surface& surface) noexcept;

// Copies the sw x sh block at (sx, sy) of `src` into dw x dh at (dx, dy) of `dest`, corners
// unscaled and edges and centre stretched (halftone), through a temporary surface; with a key
// colour its pixels are left out. Returns the final copy's result, 0 when nothing was drawn.
int NineGridBlt(HDC dest, int dx, int dy, int dw, int dh, HDC src, int sx, int sy, int sw, int sh,
                int left, int top, int right, int bottom,
                std::optional<COLORREF> key = std::nullopt);
// Unscaled copy of a w x h block that skips pixels of the key colour.
BOOL TransBlt(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, COLORREF key);
// DrawTextA in (x, y, x + width, y + height); `text` is in the ANSI code page.
int DrawTextInRect(HDC dc, std::string_view text, int length, int x, int y, int width, int height,
                   UINT format);

} // namespace velm::mdlTabAPI
