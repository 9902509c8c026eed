// The strip's arithmetic with the worked examples: standard width, positions, hit-testing,
// paint rectangles and nine-grid pieces.
#include "tabstrip/CNineGrid.h"
#include "tabstrip/CTabLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace velm {
namespace {

std::vector<CTabBox> Tabs(int n, std::vector<int> locked = {}) {
    std::vector<CTabBox> tabs(static_cast<std::size_t>(n));
    for (int i : locked) {
        tabs[static_cast<std::size_t>(i)].lockSize = true;
    }
    return tabs;
}

TEST(TabLayout, PillTabsShareTheWidth) {
    auto tabs = Tabs(3);
    // r = 600 - 15 = 585, 585 / 3 = 195
    const int w = CTabLayout::CalcStandardWidth(1, 610, 10, 0, tabs);
    EXPECT_EQ(w, 195);
    CTabLayout::CalcPositions(1, w, tabs);
    EXPECT_EQ(tabs[0].left, 0);
    EXPECT_EQ(tabs[1].left, 200);
    EXPECT_EQ(tabs[2].left, 400);
    for (const CTabBox& t : tabs) {
        EXPECT_EQ(t.width, 195);
    }
}

TEST(TabLayout, WidthIsCappedByTheStyle) {
    EXPECT_EQ(CTabLayout::CalcStandardWidth(1, 2000, 10, 0, Tabs(1)), 200);
    // r = 460 - 14 = 446, 446 / 4 = 111.5 -> 112 -> capped to 108
    auto tabs = Tabs(4);
    const int w = CTabLayout::CalcStandardWidth(0, 500, 40, 0, tabs);
    EXPECT_EQ(w, 108);
    CTabLayout::CalcPositions(0, w, tabs);
    EXPECT_EQ(tabs[0].left, 14);
    EXPECT_EQ(tabs[1].left, 122);
    EXPECT_EQ(tabs[2].left, 230);
    EXPECT_EQ(tabs[3].left, 338);
}

TEST(TabLayout, HalvesGoToEven) {
    // style 0: A = 300 - 14 = 286... choose r so r / n is x.5: W 40 + 14 + 2 * 50.5 -> r = 101
    EXPECT_EQ(CTabLayout::CalcStandardWidth(0, 155, 40, 0, Tabs(2)), 50); // 101 / 2 = 50.5
    EXPECT_EQ(CTabLayout::CalcStandardWidth(0, 157, 40, 0, Tabs(2)), 52); // 103 / 2 = 51.5
    // style 1: A - 5 N = 3 * 60.5 = 181.5 not whole; use N = 2: r = 121 -> 60.5 -> 60
    EXPECT_EQ(CTabLayout::CalcStandardWidth(1, 131, 0, 0, Tabs(2)), 60);
}

TEST(TabLayout, LockedTabsKeepTheFullWidth) {
    auto tabs = Tabs(3, {1});
    // style 1, A = 600: r = 600 - 200 - 15 = 385, / 2 = 192.5 -> 192
    const int w = CTabLayout::CalcStandardWidth(1, 600, 0, 0, tabs);
    EXPECT_EQ(w, 192);
    CTabLayout::CalcPositions(1, w, tabs);
    EXPECT_EQ(tabs[1].width, 200);
    EXPECT_EQ(tabs[2].left, 192 + 5 + 200 + 5);
    EXPECT_EQ(CTabLayout::CalcStandardWidth(1, 300, 0, 0, Tabs(2, {0, 1})), 200);
    EXPECT_EQ(CTabLayout::CalcStandardWidth(0, 100, 0, 0, Tabs(2, {0, 1})), 108);
}

TEST(TabLayout, ManyTabsKeepAWidthOfAtLeastOnePixel) {
    EXPECT_EQ(CTabLayout::CalcStandardWidth(1, 300, 10, 0, Tabs(58)), 1); // r = 0
    EXPECT_EQ(CTabLayout::CalcStandardWidth(1, 300, 10, 0, Tabs(200)), 1);
    EXPECT_EQ(CTabLayout::CalcStandardWidth(0, 50, 40, 20, Tabs(3)), 1);
}

TEST(TabLayout, HitTestAreasAndMargins) {
    auto tabs = Tabs(3);
    CTabLayout::CalcPositions(1, 195, tabs); // 0, 200, 400
    auto hit = [&](int x, int y) { return CTabLayout::HitTest(1, 610, 10, 20, tabs, x, y); };
    EXPECT_EQ(hit(5, 10).index, -2) << "left margin";
    EXPECT_EQ(hit(595, 10).index, -2) << "right margin";
    EXPECT_EQ(hit(50, 26).index, -3) << "below 25 rows, also in the 32-row style";
    EXPECT_EQ(hit(-1, 5).index, -3);
    EXPECT_EQ(hit(611, 5).index, -3);
    EXPECT_EQ(hit(50, 25).index, 0);
    EXPECT_EQ(hit(10 + 197, 10).index, -1) << "the gap between pill tabs";
    EXPECT_EQ(hit(10 + 200, 10).index, 1);
    EXPECT_EQ(hit(10 + 14, 10).index, 0) << "u <= 14 is tab 0";
    EXPECT_EQ(CTabLayout::HitTest(1, 610, 10, 0, {}, 100, 10).index, -1) << "no tabs";
    auto shifted = Tabs(2);
    CTabLayout::CalcPositions(1, 100, shifted);
    shifted[0].left = 50; // tab 0 does not start at 0, still u <= 14 gives 0
    EXPECT_EQ(CTabLayout::HitTest(1, 610, 10, 0, shifted, 20, 10).index, 0);
}

TEST(TabLayout, CloseZoneIsInclusiveAndNeedsTheGlyph) {
    auto tabs = Tabs(2);
    CTabLayout::CalcPositions(1, 195, tabs);
    // tab 0 right end 195: zone x 175..187, y 7..19; strip x = u + 10
    auto hit = [&](int u, int y) { return CTabLayout::HitTest(1, 610, 10, 0, tabs, u + 10, y); };
    EXPECT_TRUE(hit(175, 7).onClose);
    EXPECT_TRUE(hit(187, 19).onClose);
    EXPECT_FALSE(hit(174, 10).onClose);
    EXPECT_FALSE(hit(188, 10).onClose);
    EXPECT_FALSE(hit(180, 6).onClose);
    EXPECT_FALSE(hit(180, 20).onClose);
    tabs[0].hideButton = true;
    EXPECT_FALSE(hit(180, 10).onClose);
    EXPECT_EQ(hit(180, 10).index, 0);
    // style 0: zone -24..-12, 6..18
    auto slanted = Tabs(1);
    CTabLayout::CalcPositions(0, 108, slanted); // left 14, right end 122
    EXPECT_TRUE(CTabLayout::HitTest(0, 500, 40, 0, slanted, 40 + 98, 6).onClose);
    EXPECT_TRUE(CTabLayout::HitTest(0, 500, 40, 0, slanted, 40 + 110, 18).onClose);
    EXPECT_FALSE(CTabLayout::HitTest(0, 500, 40, 0, slanted, 40 + 111, 18).onClose);
}

TEST(TabLayout, PaintRectangles) {
    CTabBox t{100, 108, false, false};
    EXPECT_EQ(CTabLayout::Body(0, t), (CTabRect{86, 0, 122, 25}));
    EXPECT_EQ(CTabLayout::Caption(0, t, false), (CTabRect{100, 0, 70, 25}));
    EXPECT_EQ(CTabLayout::Caption(0, t, true), (CTabRect{100, 0, 82, 25}));
    EXPECT_EQ(CTabLayout::Glyph(0, t), (CTabRect{184, 6, 12, 12}));
    t.hideButton = true;
    EXPECT_EQ(CTabLayout::Caption(0, t, false), (CTabRect{100, 0, 94, 25}));
    EXPECT_EQ(CTabLayout::Caption(0, t, true), (CTabRect{100, 0, 82, 25}));
    CTabBox p{205, 195, false, false};
    EXPECT_EQ(CTabLayout::Body(1, p), (CTabRect{205, 0, 195, 26}));
    EXPECT_EQ(CTabLayout::Caption(1, p, false), (CTabRect{217, 0, 167, 26}));
    EXPECT_EQ(CTabLayout::Caption(1, p, true), (CTabRect{217, 0, 167, 26}));
    EXPECT_EQ(CTabLayout::Glyph(1, p), (CTabRect{380, 7, 12, 12}));
    p.hideButton = true;
    EXPECT_EQ(CTabLayout::Caption(1, p, true), (CTabRect{217, 0, 187, 26}));
}

using Piece = CNineGrid::Piece;

TEST(NineGrid, FullWidthSlantedTabIsCopiedUnscaled) {
    auto pieces = CNineGrid::Pieces(122, 25, 1, 0, 122, 25, 14, 0, 14, 0);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], (Piece{1, 0, 14, 25, 0, 0, 14, 25}));
    EXPECT_EQ(pieces[1], (Piece{109, 0, 14, 25, 108, 0, 14, 25}));
    EXPECT_EQ(pieces[2], (Piece{15, 0, 94, 25, 14, 0, 94, 25}));
}

TEST(NineGrid, NarrowTabKeepsItsEdgesAndSqueezesTheMiddle) {
    auto pieces = CNineGrid::Pieces(74, 25, 123, 0, 122, 25, 14, 0, 14, 0); // Width 60
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], (Piece{123, 0, 14, 25, 0, 0, 14, 25}));
    EXPECT_EQ(pieces[1], (Piece{231, 0, 14, 25, 60, 0, 14, 25}));
    EXPECT_EQ(pieces[2], (Piece{137, 0, 94, 25, 14, 0, 46, 25}));
}

TEST(NineGrid, CornersEdgesAndCentre) {
    auto pieces = CNineGrid::Pieces(100, 50, 0, 0, 30, 20, 5, 4, 6, 3);
    ASSERT_EQ(pieces.size(), 9u);
    EXPECT_EQ(pieces[0], (Piece{0, 0, 5, 4, 0, 0, 5, 4}));
    EXPECT_EQ(pieces[1], (Piece{24, 0, 6, 4, 94, 0, 6, 4}));
    EXPECT_EQ(pieces[2], (Piece{0, 17, 5, 3, 0, 47, 5, 3}));
    EXPECT_EQ(pieces[3], (Piece{24, 17, 6, 3, 94, 47, 6, 3}));
    EXPECT_EQ(pieces[4], (Piece{0, 4, 5, 13, 0, 4, 5, 43}));
    EXPECT_EQ(pieces[5], (Piece{24, 4, 6, 13, 94, 4, 6, 43}));
    EXPECT_EQ(pieces[6], (Piece{5, 0, 19, 4, 5, 0, 89, 4}));
    EXPECT_EQ(pieces[7], (Piece{5, 17, 19, 3, 5, 47, 89, 3}));
    EXPECT_EQ(pieces[8], (Piece{5, 4, 19, 13, 5, 4, 89, 43}));
}

TEST(NineGrid, NothingForZeroSizesAndOneStretchWithoutBorders) {
    EXPECT_TRUE(CNineGrid::Pieces(0, 25, 0, 0, 10, 10, 1, 1, 1, 1).empty());
    EXPECT_TRUE(CNineGrid::Pieces(10, 25, 0, 0, 0, 10, 1, 1, 1, 1).empty());
    auto pieces = CNineGrid::Pieces(40, 20, 3, 2, 10, 8, 0, 0, 0, 0);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0], (Piece{3, 2, 10, 8, 0, 0, 40, 20}));
}

TEST(NineGrid, TooNarrowDestinationSharesItBetweenTheBorders) {
    auto pieces = CNineGrid::Pieces(10, 26, 1, 0, 124, 26, 14, 0, 14, 0);
    ASSERT_EQ(pieces.size(), 2u) << "no middle left";
    EXPECT_EQ(pieces[0], (Piece{1, 0, 14, 26, 0, 0, 5, 26}));
    EXPECT_EQ(pieces[1], (Piece{111, 0, 14, 26, 5, 0, 5, 26}));
    for (const Piece& p : CNineGrid::Pieces(1, 25, 1, 0, 122, 25, 14, 0, 14, 0)) {
        EXPECT_GT(p.dw, 0);
        EXPECT_GE(p.dx, 0);
        EXPECT_LE(p.dx + p.dw, 1);
    }
}

} // namespace
} // namespace velm
