#include "controls/SkinLayout.h"

#include "base/Units.h"

#include <algorithm>

namespace velm {

std::vector<SkinPiece> SkinLayout::TitlePieces(long width, long skinWidth) {
    std::vector<SkinPiece> pieces;
    for (long i = 1; i <= width / kSlice + 1; ++i) {
        pieces.push_back({kSlice, 0, kSlice, kPieceHeight, i * kSlice, 0});
    }
    pieces.push_back({0, 0, kLeftEnd, kPieceHeight, 0, 0});
    pieces.push_back({skinWidth - kRightEnd, 0, kRightEnd, kPieceHeight, width - kRightEnd, 0});
    return pieces;
}

std::vector<SkinPiece> SkinLayout::FramePieces(long width, long height, long skinWidth,
                                               long skinHeight) {
    std::vector<SkinPiece> pieces;
    for (long i = 1; i <= width / kSlice + 1; ++i) {
        pieces.push_back({kSlice, skinHeight - kBorder, kSlice, 500, i * kSlice, height - kBorder});
    }
    for (long i = 1; i <= height / kSlice + 1; ++i) {
        pieces.push_back({0, 800, kBorder, 500, 0, i * kSlice});
    }
    for (long i = 1; i <= height / kSlice + 1; ++i) {
        pieces.push_back({skinWidth - kBorder, 800, kSlice, 500, width - kBorder, i * kSlice});
    }
    pieces.push_back({0, skinHeight - kBorder, kLeftEnd, kBorder, 0, height - kBorder});
    pieces.push_back(
        {skinWidth - 500, skinHeight - kBorder, 500, kBorder, width - 500, height - kBorder});
    return pieces;
}

SkinPiece SkinLayout::NominPiece(long width, long skinWidth) {
    return {skinWidth - 1200, 0, 400, kPieceHeight, width - 830, 0};
}

PixelBlit SkinLayout::ToPixels(const SkinPiece& p, int skinWidthPx, int skinHeightPx) {
    PixelBlit b;
    b.src = {TwipsToPixels(p.srcX), TwipsToPixels(p.srcY),
             TwipsToPixels(p.srcX + p.width) - TwipsToPixels(p.srcX),
             TwipsToPixels(p.srcY + p.height) - TwipsToPixels(p.srcY)};
    b.dstX = TwipsToPixels(p.dstX);
    b.dstY = TwipsToPixels(p.dstY);
    // What lies outside the picture is not copied: the destination moves with the clipped edge.
    if (b.src.x < 0) {
        b.dstX -= b.src.x;
        b.src.width += b.src.x;
        b.src.x = 0;
    }
    if (b.src.y < 0) {
        b.dstY -= b.src.y;
        b.src.height += b.src.y;
        b.src.y = 0;
    }
    b.src.width = std::min(b.src.width, skinWidthPx - b.src.x);
    b.src.height = std::min(b.src.height, skinHeightPx - b.src.y);
    if (b.src.width < 0) {
        b.src.width = 0;
    }
    if (b.src.height < 0) {
        b.src.height = 0;
    }
    return b;
}

} // namespace velm
