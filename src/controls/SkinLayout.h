// Where the pieces of the window skin go: the title strip of the title bar and the frame it
// paints onto its host. All arithmetic is in twips; pixels appear only in ToPixels().
#pragma once

#include <vector>

namespace velm {

// A rectangle in pixels.
struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// One copy of a rectangle of the skin to the same-sized rectangle of a surface, in twips.
struct SkinPiece {
    long srcX = 0;
    long srcY = 0;
    long width = 0;
    long height = 0;
    long dstX = 0;
    long dstY = 0;
    friend bool operator==(const SkinPiece&, const SkinPiece&) = default;
};

// A piece converted to pixels and clipped to the skin picture, ready for one BitBlt.
struct PixelBlit {
    PixelRect src;
    int dstX = 0;
    int dstY = 0;
    bool empty() const { return src.width <= 0 || src.height <= 0; }
    friend bool operator==(const PixelBlit&, const PixelBlit&) = default;
};

class SkinLayout {
public:
    static constexpr long kTitleHeight = 500; // the title bar's forced height
    static constexpr long kSlice = 300;       // width of a repeated middle slice
    static constexpr long kPieceHeight = 545; // height of every title piece
    static constexpr long kLeftEnd = 545;
    static constexpr long kRightEnd = 1000;
    static constexpr long kBorder = 60;
    static constexpr long kCaptionY = 150;

    // The title strip for a control `width` twips wide on a skin `skinWidth` twips wide, in
    // drawing order (middle slices, left end, right end).
    static std::vector<SkinPiece> TitlePieces(long width, long skinWidth);
    // The caption's left edge.
    static long CaptionX(bool hasLogo) { return hasLogo ? 600 : 150; }
    // The frame painted onto a host `width` x `height` twips: bottom border, left border, right
    // border, bottom-left corner, bottom-right corner.
    static std::vector<SkinPiece> FramePieces(long width, long height, long skinWidth,
                                              long skinHeight);
    // The plain strip that covers the right part of the title.
    static SkinPiece NominPiece(long width, long skinWidth);

    // Converts a piece to pixels (each edge to its nearest pixel, the same width and height for
    // source and destination) and clips the source to the skin's `skinWidthPx` x `skinHeightPx`
    // pixels, moving the destination with it.
    static PixelBlit ToPixels(const SkinPiece& piece, int skinWidthPx, int skinHeightPx);
};

} // namespace velm
