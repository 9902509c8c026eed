// Composing skin parts in pixel memory: key colour left out, unscaled copies exact, resampled
// middles averaged, and nothing written outside either picture; bodies and captions kept from an
// earlier repaint give the same pixels as composing and drawing them again.
#include "tabstrip/CTabCaptionCache.h"
#include "tabstrip/CTabCompositor.h"

#include <gtest/gtest.h>

#include <vector>

namespace velm {
namespace {

constexpr std::uint32_t K = CTabCompositor::kKey;

struct Picture {
    int w, h;
    std::vector<std::uint32_t> px;
    Picture(int width, int height, std::uint32_t fill) : w(width), h(height), px(w * h, fill) {}
    CPixelView View() { return {px.data(), w, h, w}; }
    std::uint32_t& At(int x, int y) { return px[y * w + x]; }
};

TEST(TabCompositor, TransCopyLeavesOutTheKeyColour) {
    Picture src(3, 2, 0x112233);
    src.At(1, 0) = K;
    Picture dest(5, 4, 0xAAAAAA);
    CTabCompositor::TransCopy(dest.View(), 1, 1, 3, 2, src.View(), 0, 0);
    EXPECT_EQ(dest.At(1, 1), 0x112233u);
    EXPECT_EQ(dest.At(2, 1), 0xAAAAAAu) << "key pixel not copied";
    EXPECT_EQ(dest.At(3, 2), 0x112233u);
    EXPECT_EQ(dest.At(0, 0), 0xAAAAAAu);
    EXPECT_EQ(dest.At(4, 3), 0xAAAAAAu);
}

TEST(TabCompositor, NothingIsWrittenOutsideThePictures) {
    // A guard band around the destination shows any write past its edges.
    std::vector<std::uint32_t> memory(10 * 10, 0x010101);
    CPixelView inner{memory.data() + 3 * 10 + 3, 4, 4, 10};
    Picture src(20, 20, 0x445566);
    CTabCompositor::TransCopy(inner, -5, -5, 20, 20, src.View(), 0, 0);
    CTabCompositor::NineGrid(inner, -7, 1, 30, 9, src.View(), 2, 2, 16, 16, 3, 3, 3, 3);
    CTabCompositor::TransCopy(inner, 0, 0, 8, 8, src.View(), 15, 15); // past the source
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 3 && x < 7 && y >= 3 && y < 7;
            EXPECT_EQ(memory[y * 10 + x] == 0x010101u, !inside) << x << "," << y;
        }
    }
}

TEST(TabCompositor, NineGridKeepsBordersAndAveragesTheMiddle) {
    // Source 6 x 1: border pixels 1 and 2 wide, middle of three grey levels.
    Picture src(6, 1, 0);
    src.px = {0x0000FF, 0x101010, 0x202020, 0x303030, 0x00FF00, 0xFF0000};
    src.px[0] = 0x0000FF;
    Picture dest(4, 1, 0xFFFFFF);
    CTabCompositor::NineGrid(dest.View(), 0, 0, 4, 1, src.View(), 0, 0, 6, 1, 1, 0, 2, 0);
    EXPECT_EQ(dest.At(0, 0), 0x0000FFu) << "left border unscaled";
    EXPECT_EQ(dest.At(1, 0), 0x202020u) << "three middle pixels squeezed into one: average";
    EXPECT_EQ(dest.At(2, 0), 0x00FF00u);
    EXPECT_EQ(dest.At(3, 0), 0xFF0000u);
    Picture wide(8, 1, 0xFFFFFF);
    CTabCompositor::NineGrid(wide.View(), 0, 0, 8, 1, src.View(), 0, 0, 6, 1, 1, 0, 2, 0);
    EXPECT_EQ(wide.At(1, 0), 0x101010u);
    EXPECT_EQ(wide.At(5, 0), 0x303030u);
    EXPECT_EQ(wide.At(7, 0), 0xFF0000u);
}

TEST(TabCompositor, MostlyKeyedAreasStayTransparent) {
    Picture src(4, 1, K);
    src.At(3, 0) = 0x123456;
    Picture dest(1, 1, 0xABCDEF);
    CTabCompositor::NineGrid(dest.View(), 0, 0, 1, 1, src.View(), 0, 0, 4, 1, 0, 0, 0, 0);
    EXPECT_EQ(dest.At(0, 0), 0xABCDEFu);
    src.At(2, 0) = 0x123456;
    src.At(1, 0) = 0x123456;
    CTabCompositor::NineGrid(dest.View(), 0, 0, 1, 1, src.View(), 0, 0, 4, 1, 0, 0, 0, 0);
    EXPECT_EQ(dest.At(0, 0), 0x123456u) << "the key pixel does not tint the average";
}

// A skin shown at 150 %: the key colour stays where a nearest-pixel stretch puts it, nothing
// else turns key-coloured or takes a tint from it, and neighbours blend into new shades.
TEST(TabCompositor, ScaledSkinIsSmoothedAroundAnExactKey) {
    Picture src(4, 1, K);
    src.At(1, 0) = 0x202020;
    src.At(2, 0) = 0xA0A0A0;
    Picture dest(6, 1, 0x00FF00);
    CTabCompositor::NineGrid(dest.View(), 0, 0, 6, 1, src.View(), 0, 0, 4, 1, 0, 0, 0, 0);
    int shades = 0;
    for (int x = 0; x < 6; ++x) {
        const std::uint32_t p = dest.At(x, 0);
        const bool keyed = x == 0 || x >= 4; // where the nearest source pixel is the key
        EXPECT_EQ(p == 0x00FF00u, keyed) << x << ": left out exactly where the key is";
        if (!keyed) {
            EXPECT_TRUE((p >> 16) == (p & 0xFF) && ((p >> 8) & 0xFF) == (p & 0xFF)) << x;
            shades += (p & 0xFF) > 0x20 && (p & 0xFF) < 0xA0;
        }
    }
    EXPECT_GE(shades, 2) << "a nearest or box stretch at 150 % makes no new shade";
    Picture copied(6, 1, 0);
    StretchSkin(copied.View(), 0, 0, 6, 1, src.View(), 0, 0, 4, 1, KeyedPixels::kCopy);
    EXPECT_EQ(copied.px[0], K);
    EXPECT_EQ(copied.px[5], K) << "kept as the key for a mask to find";
}

TEST(TabCompositor, KeptBodiesGiveTheComposedPixels) {
    Picture src(40, 6, 0);
    for (int i = 0; i < 40 * 6; ++i) {
        src.px[static_cast<std::size_t>(i)] = (i % 7 == 0) ? K : 0x010203u * (i % 50);
    }
    CTabBodyCache kept;
    // Places partly off the picture, the same size from another slice or of another height, and
    // enough bodies to push the first ones out of the cache: x, y, width, height, source x.
    const int places[][5] = {{3, 0, 20, 6, 4},  {3, 0, 20, 6, 0},  {0, 1, 20, 4, 4},
                             {-4, 1, 12, 5, 4}, {25, -2, 9, 6, 4}, {1, 0, 7, 3, 4},
                             {2, 1, 30, 6, 0},  {5, 0, 14, 4, 4},  {6, 2, 15, 4, 4},
                             {7, 0, 16, 6, 4},  {8, 1, 17, 5, 4},  {3, 0, 20, 6, 4}};
    for (int round = 0; round < 2; ++round) {
        for (const auto& p : places) {
            Picture direct(30, 6, 0x777777);
            Picture cached(30, 6, 0x777777);
            CTabCompositor::NineGrid(direct.View(), p[0], p[1], p[2], p[3], src.View(), p[4], 0, 30,
                                     6, 5, 0, 6, 0);
            kept.NineGrid(cached.View(), p[0], p[1], p[2], p[3], src.View(), p[4], 0, 30, 6, 5, 0,
                          6, 0);
            EXPECT_EQ(cached.px, direct.px)
                << p[0] << "," << p[1] << " " << p[2] << "x" << p[3] << " from " << p[4];
        }
    }
}

TEST(TabCompositor, KeptCaptionReturnsOnlyOverTheSamePixels) {
    Picture area(20, 8, 0x404040);
    const CTabRect region{2, 1, 10, 5};
    CTabCaptionCache::Slot slot;
    CTabCaptionCache::KeepBefore(slot, area.View(), region);
    area.At(4, 3) = 0x000000; // the text
    area.At(5, 3) = 0x101010;
    CTabCaptionCache::KeepAfter(slot, area.View());
    const std::vector<std::uint32_t> drawn = area.px;

    Picture again(20, 8, 0x404040);
    EXPECT_TRUE(CTabCaptionCache::Replay(slot, again.View(), region));
    EXPECT_EQ(again.px, drawn);

    Picture hovered(20, 8, 0x404040);
    hovered.At(11, 5) = 0x505050; // the body beneath changed in one pixel of the region
    const std::vector<std::uint32_t> before = hovered.px;
    EXPECT_FALSE(CTabCaptionCache::Replay(slot, hovered.View(), region));
    EXPECT_EQ(hovered.px, before) << "nothing written when the drawing must be made anew";
    Picture moved(20, 8, 0x404040);
    EXPECT_FALSE(CTabCaptionCache::Replay(slot, moved.View(), CTabRect{3, 1, 10, 5}));
}

// A caption hanging over the surface's left edge is drawn within its whole rectangle: another
// rectangle with the same visible part places the text elsewhere.
TEST(TabCompositor, KeptCaptionComparesTheWholeRectangle) {
    Picture area(20, 8, 0x404040);
    CTabCaptionCache::Slot slot;
    CTabCaptionCache::KeepBefore(slot, area.View(), CTabRect{-6, 1, 16, 5});
    area.At(2, 3) = 0x000000;
    CTabCaptionCache::KeepAfter(slot, area.View());

    Picture shifted(20, 8, 0x404040);
    EXPECT_FALSE(CTabCaptionCache::Replay(slot, shifted.View(), CTabRect{-2, 1, 12, 5}));
    Picture same(20, 8, 0x404040);
    EXPECT_TRUE(CTabCaptionCache::Replay(slot, same.View(), CTabRect{-6, 1, 16, 5}));
}

} // namespace
} // namespace velm
