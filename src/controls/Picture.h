// A picture property: a bitmap or an icon held by an OLE picture object that owns its handle,
// sized in HIMETRIC. Copies share the one picture. A picture made from the program's resources
// keeps its text form ("bitmap:101", "icon:211"), which is how window designs store it.
#pragma once

#include "base/Handles.h"

#include <ocidl.h>
#include <olectl.h>

#include <memory>
#include <string>
#include <string_view>

namespace velm {

class Picture {
public:
    Picture() = default;

    static Picture FromBitmapResource(int id);
    static Picture FromIconResource(int id);
    // Takes ownership of the bitmap (and the palette it was made through, if any).
    static Picture FromBitmap(UniqueBitmap bitmap, UniquePalette palette = UniquePalette());
    // "bitmap:<id>" or "icon:<id>"; an empty or unknown text gives no picture.
    static Picture FromText(std::string_view text);

    explicit operator bool() const noexcept { return static_cast<bool>(picture_); }
    bool IsIcon() const noexcept;
    long WidthHimetric() const;
    long HeightHimetric() const;
    // Size in pixels.
    SIZE PixelSize() const;
    HBITMAP Bitmap() const;
    HICON Icon() const;
    HPALETTE Palette() const { return palette_ ? palette_->get() : nullptr; }
    IPicture* Ole() const { return picture_.get(); }
    const std::string& Text() const { return text_; }

    // Draws the picture stretched to (x, y, width, height) pixels of `dc`: pixel for pixel, or
    // `smooth` with its key colour kept exact (DrawSkin, for a picture shown at a display
    // scale); an icon is drawn at the given size too.
    void Draw(HDC dc, int x, int y, int width, int height, bool smooth = false) const;
    // Copies a rectangle of a bitmap picture into a new bitmap compatible with `reference`.
    // `throughPalette` makes the copy in a device context with a 256-entry palette built from the
    // system palette; the new picture then owns that palette as well.
    Picture CopyRect(HDC reference, int x, int y, int width, int height, bool throughPalette) const;

private:
    // Declared first so it outlives the picture that was made through it.
    std::shared_ptr<UniquePalette> palette_;
    ComPtr<IPicture> picture_;
    std::string text_;
};

} // namespace velm
