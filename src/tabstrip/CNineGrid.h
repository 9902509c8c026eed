// Nine-grid scaling: a source rectangle cut by four borders into corners (copied unscaled, or
// scaled to the destination's own borders), edges (stretched along their length) and a centre
// (stretched both ways), fitted to a destination size. Window-free: it only says which block
// goes where.
#pragma once

#include <cstdint>
#include <vector>

namespace velm {

class CNineGrid {
public:
    struct Piece {
        std::int32_t sx, sy, sw, sh; // source block
        std::int32_t dx, dy, dw, dh; // destination block, relative to the destination's origin
        friend bool operator==(const Piece&, const Piece&) = default;
    };

    // The blocks to copy for a dw x dh destination from the sw x sh source at (sx, sy) with
    // borders left, top, right, bottom. Nothing when a size is 0. All borders <= 0: one stretch of
    // the source (sx + left, sy + top, sw - right, sh - bottom). A destination narrower (or
    // lower) than its two borders shares what there is between them in their proportion, so no
    // block ever gets a negative size. Blocks of zero size are left out.
    static std::vector<Piece> Pieces(std::int32_t dw, std::int32_t dh, std::int32_t sx,
                                     std::int32_t sy, std::int32_t sw, std::int32_t sh,
                                     std::int32_t left, std::int32_t top, std::int32_t right,
                                     std::int32_t bottom);
    // The same with borders of another size in the destination (a skin shown at a display
    // scale): corners become dleft x dtop and so on.
    static std::vector<Piece> Pieces(std::int32_t dw, std::int32_t dh, std::int32_t sx,
                                     std::int32_t sy, std::int32_t sw, std::int32_t sh,
                                     std::int32_t left, std::int32_t top, std::int32_t right,
                                     std::int32_t bottom, std::int32_t dleft, std::int32_t dtop,
                                     std::int32_t dright, std::int32_t dbottom);
};

} // namespace velm
