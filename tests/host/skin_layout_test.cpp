#include "base/Units.h"
#include "controls/SkinLayout.h"

#include <gtest/gtest.h>

namespace velm {
namespace {

constexpr long kSkinW = 1410; // 94 px
constexpr long kSkinH = 1275; // 85 px

TEST(SkinLayout, TwipsBecomeTheNearestPixel) {
    EXPECT_EQ(TwipsToPixels(0), 0);
    EXPECT_EQ(TwipsToPixels(545), 36);
    EXPECT_EQ(TwipsToPixels(500), 33);
    EXPECT_EQ(TwipsToPixels(600), 40);
    EXPECT_EQ(TwipsToPixels(7), 0);
    EXPECT_EQ(TwipsToPixels(8), 1); // 0.53 px
    EXPECT_EQ(TwipsToPixels(-100), -7);
    EXPECT_EQ(TwipsToPixels(-1000), -67);
}

TEST(SkinLayout, TitleStripIsMiddleSlicesThenLeftThenRightEnd) {
    // The main window's design width.
    auto pieces = SkinLayout::TitlePieces(15495, kSkinW);
    ASSERT_EQ(pieces.size(), 15495u / 300 + 1 + 2);
    for (size_t i = 0; i + 2 < pieces.size(); ++i) {
        EXPECT_EQ(pieces[i], (SkinPiece{300, 0, 300, 545, static_cast<long>(i + 1) * 300, 0}));
    }
    EXPECT_EQ(pieces[pieces.size() - 2], (SkinPiece{0, 0, 545, 545, 0, 0}));
    EXPECT_EQ(pieces.back(), (SkinPiece{410, 0, 1000, 545, 14495, 0}));
}

TEST(SkinLayout, RightEndClosesTheStripAtTheRightEdgeForEveryWidth) {
    for (int px = 67; px < 1400; ++px) {
        auto pieces = SkinLayout::TitlePieces(px * 15L, kSkinW);
        PixelBlit right = SkinLayout::ToPixels(pieces.back(), 94, 85);
        EXPECT_EQ(right.dstX + right.src.width, px) << px;
        EXPECT_EQ(right.src.x + right.src.width, 94) << px;
        EXPECT_EQ(right.src.height, 36);
    }
}

TEST(SkinLayout, MiddleSliceIsTwentyPixelsFromTheUniformPart) {
    PixelBlit b = SkinLayout::ToPixels({300, 0, 300, 545, 900, 0}, 94, 85);
    EXPECT_EQ(b.src, (PixelRect{20, 0, 20, 36}));
    EXPECT_EQ(b.dstX, 60);
    EXPECT_EQ(b.dstY, 0);
}

TEST(SkinLayout, NarrowControlPutsTheRightEndOverTheLeftEnd) {
    for (long w : {1000L, 900L, 600L}) {
        auto pieces = SkinLayout::TitlePieces(w, kSkinW);
        EXPECT_LE(pieces.back().dstX, 0);
        PixelBlit right = SkinLayout::ToPixels(pieces.back(), 94, 85);
        EXPECT_LE(right.dstX, 0);
    }
    EXPECT_EQ(SkinLayout::CaptionX(false), 150);
    EXPECT_EQ(SkinLayout::CaptionX(true), 600);
}

TEST(SkinLayout, WidthMultipleOf300LeavesTheLastTwoSlicesBeyondTheEdge) {
    auto pieces = SkinLayout::TitlePieces(3000, kSkinW);
    ASSERT_EQ(pieces.size(), 11u + 2);
    EXPECT_EQ(pieces[9].dstX, 3000);
    EXPECT_EQ(pieces[10].dstX, 3300);
    EXPECT_LT(pieces[8].dstX, 3000);
}

TEST(SkinLayout, FrameBordersAndCornersComeFromTheSkinEdges) {
    const long w = 15540, h = 9585; // 1036 x 639 px
    auto pieces = SkinLayout::FramePieces(w, h, kSkinW, kSkinH);
    const size_t bottom = w / 300 + 1, side = h / 300 + 1;
    ASSERT_EQ(pieces.size(), bottom + 2 * side + 2);
    // Bottom border: only its top 4 px lie inside the window and inside the skin.
    PixelBlit b = SkinLayout::ToPixels(pieces[0], 94, 85);
    EXPECT_EQ(b.src, (PixelRect{20, 81, 20, 4}));
    EXPECT_EQ(b.dstX, 20);
    EXPECT_EQ(b.dstY, 635);
    // Left border from x 0, rows 53.. of the skin (clipped at its bottom).
    PixelBlit l = SkinLayout::ToPixels(pieces[bottom], 94, 85);
    EXPECT_EQ(l.src, (PixelRect{0, 53, 4, 32}));
    EXPECT_EQ(l.dstX, 0);
    EXPECT_EQ(l.dstY, 20);
    // Right border: 300 twips wide in the skin, clipped to the skin's last 4 px.
    PixelBlit r = SkinLayout::ToPixels(pieces[bottom + side], 94, 85);
    EXPECT_EQ(r.src, (PixelRect{90, 53, 4, 32}));
    EXPECT_EQ(r.dstX, 1032);
    // Corners last, bottom-left then bottom-right.
    EXPECT_EQ(pieces[pieces.size() - 2], (SkinPiece{0, 1215, 545, 60, 0, h - 60}));
    EXPECT_EQ(pieces.back(), (SkinPiece{910, 1215, 500, 60, w - 500, h - 60}));
    PixelBlit br = SkinLayout::ToPixels(pieces.back(), 94, 85);
    EXPECT_EQ(br.dstX + br.src.width, 1036);
    EXPECT_EQ(br.dstY + br.src.height, 639);
}

TEST(SkinLayout, SourceOutsideThePictureIsClippedAndTheDestinationFollows) {
    PixelBlit b = SkinLayout::ToPixels({-150, -75, 300, 300, 0, 0}, 94, 85);
    EXPECT_EQ(b.src.x, 0);
    EXPECT_EQ(b.src.y, 0);
    EXPECT_EQ(b.dstX, 10);
    EXPECT_EQ(b.dstY, 5);
    EXPECT_EQ(b.src.width, 10);
    EXPECT_EQ(b.src.height, 15);
    EXPECT_TRUE(SkinLayout::ToPixels({1500, 0, 300, 300, 0, 0}, 94, 85).empty());
}

TEST(SkinLayout, NominCoversTheRightPartOfTheStrip) {
    EXPECT_EQ(SkinLayout::NominPiece(15495, kSkinW), (SkinPiece{210, 0, 400, 545, 14665, 0}));
}

} // namespace
} // namespace velm
