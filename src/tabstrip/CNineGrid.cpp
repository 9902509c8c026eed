#include "tabstrip/CNineGrid.h"

#include <algorithm>

namespace velm {
namespace {

// Destination border sizes: as given, unless the two do not fit into `size`.
void FitBorders(std::int32_t size, std::int32_t a, std::int32_t b, std::int32_t& da,
                std::int32_t& db) {
    const std::int32_t pa = std::max(a, 0);
    const std::int32_t pb = std::max(b, 0);
    if (pa + pb <= size) {
        da = pa;
        db = pb;
        return;
    }
    da = static_cast<std::int32_t>(static_cast<std::int64_t>(size) * pa / (pa + pb));
    db = size - da;
}

} // namespace

std::vector<CNineGrid::Piece> CNineGrid::Pieces(std::int32_t dw, std::int32_t dh, std::int32_t sx,
                                                std::int32_t sy, std::int32_t sw, std::int32_t sh,
                                                std::int32_t left, std::int32_t top,
                                                std::int32_t right, std::int32_t bottom) {
    return Pieces(dw, dh, sx, sy, sw, sh, left, top, right, bottom, left, top, right, bottom);
}

std::vector<CNineGrid::Piece> CNineGrid::Pieces(std::int32_t dw, std::int32_t dh, std::int32_t sx,
                                                std::int32_t sy, std::int32_t sw, std::int32_t sh,
                                                std::int32_t left, std::int32_t top,
                                                std::int32_t right, std::int32_t bottom,
                                                std::int32_t dleft, std::int32_t dtop,
                                                std::int32_t dright, std::int32_t dbottom) {
    std::vector<Piece> out;
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) {
        return out;
    }
    auto add = [&out](Piece p) {
        if (p.sw > 0 && p.sh > 0 && p.dw > 0 && p.dh > 0) {
            out.push_back(p);
        }
    };
    if (left <= 0 && top <= 0 && right <= 0 && bottom <= 0) {
        add({sx + left, sy + top, sw - right, sh - bottom, 0, 0, dw, dh});
        return out;
    }
    const std::int32_t l = std::max(left, 0);
    const std::int32_t t = std::max(top, 0);
    const std::int32_t r = std::max(right, 0);
    const std::int32_t b = std::max(bottom, 0);
    std::int32_t dl, dr, dt, db;
    FitBorders(dw, l > 0 ? dleft : 0, r > 0 ? dright : 0, dl, dr);
    FitBorders(dh, t > 0 ? dtop : 0, b > 0 ? dbottom : 0, dt, db);
    const std::int32_t smw = sw - l - r; // source middle
    const std::int32_t smh = sh - t - b;
    const std::int32_t dmw = dw - dl - dr; // destination middle
    const std::int32_t dmh = dh - dt - db;
    // Corners.
    if (l > 0 && t > 0) {
        add({sx, sy, l, t, 0, 0, dl, dt});
    }
    if (r > 0 && t > 0) {
        add({sx + sw - r, sy, r, t, dw - dr, 0, dr, dt});
    }
    if (l > 0 && b > 0) {
        add({sx, sy + sh - b, l, b, 0, dh - db, dl, db});
    }
    if (r > 0 && b > 0) {
        add({sx + sw - r, sy + sh - b, r, b, dw - dr, dh - db, dr, db});
    }
    // Edges.
    if (l > 0) {
        add({sx, sy + t, l, smh, 0, dt, dl, dmh});
    }
    if (r > 0) {
        add({sx + sw - r, sy + t, r, smh, dw - dr, dt, dr, dmh});
    }
    if (t > 0) {
        add({sx + l, sy, smw, t, dl, 0, dmw, dt});
    }
    if (b > 0) {
        add({sx + l, sy + sh - b, smw, b, dl, dh - db, dmw, db});
    }
    add({sx + l, sy + t, smw, smh, dl, dt, dmw, dmh});
    return out;
}

} // namespace velm
