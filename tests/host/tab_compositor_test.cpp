// Composing skin parts in pixel memory: key colour left out, unscaled copies exact, resampled
// middles averaged, and nothing written outside either picture.
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

} // namespace
} // namespace velm
