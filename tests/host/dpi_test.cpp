#include "base/Dpi.h"

#include <gtest/gtest.h>

namespace velm {
namespace {

TEST(Dpi, At96EveryFigureIsTheFixedFifteenTwipsOne) {
    for (long twips = -3000; twips <= 30000; ++twips) {
        ASSERT_EQ(TwipsToPixelsAt(twips, 96), TwipsToPixels(twips)) << twips;
    }
    for (int px = -500; px <= 5000; ++px) {
        ASSERT_EQ(ScaleDesignPixels(px, 96), px);
        ASSERT_EQ(PixelsToTwipsAt(px, 96), PixelsToTwips(px));
    }
}

TEST(Dpi, OtherScalesRoundToTheNearestPixelHalvesUp) {
    // The main window's design, 15540 x 9585 twips.
    EXPECT_EQ(TwipsToPixelsAt(15540, 120), 1295);
    EXPECT_EQ(TwipsToPixelsAt(9585, 120), 799); // 798.75
    EXPECT_EQ(TwipsToPixelsAt(15540, 144), 1554);
    EXPECT_EQ(TwipsToPixelsAt(9585, 144), 959); // 958.5
    EXPECT_EQ(TwipsToPixelsAt(15540, 192), 2072);
    EXPECT_EQ(TwipsToPixelsAt(9585, 192), 1278);
    EXPECT_EQ(TwipsToPixelsAt(-15, 144), -1);   // -1.5 rounds up to -1
    EXPECT_EQ(ScaleDesignPixels(5, 144), 8);    // 7.5
    EXPECT_EQ(PixelsToTwipsAt(959, 144), 9590); // 10 twips to a pixel
    EXPECT_EQ(PixelsToTwipsAt(1, 192), 8);      // 7.5
}

} // namespace
} // namespace velm
