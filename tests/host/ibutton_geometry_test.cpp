#include "controls/FontInfo.h"
#include "controls/MaskRuns.h"
#include "controls/iButtonGeometry.h"

#include <gtest/gtest.h>

namespace velm {
namespace {

// A picture's size in HIMETRIC as the platform reports it at 96 dpi.
long Himetric(int px) {
    return (px * 2540L + 48) / 96;
}

TEST(iButtonGeometry, AnswerStripGivesSeventyFivePixelSlices) {
    EXPECT_EQ(iButtonGeometry::SliceWidth(Himetric(225), 0), 75);
    EXPECT_EQ(iButtonGeometry::SliceHeight(Himetric(22)), 22);
    // AutoSize then makes the control one slice: 1125 x 330 twips.
    EXPECT_EQ(iButtonGeometry::SliceWidth(Himetric(225), 0) * 15, 1125);
    EXPECT_EQ(iButtonGeometry::SliceHeight(Himetric(22)) * 15, 330);
    EXPECT_EQ(iButtonGeometry::ImageCount(0), 4);
}

TEST(iButtonGeometry, ToggleStripHasSixSlicesAndValueShowsTheSecondSet) {
    EXPECT_EQ(iButtonGeometry::SliceWidth(Himetric(150), 1), 25);
    EXPECT_EQ(iButtonGeometry::ImageCount(1), 8);
    EXPECT_EQ(iButtonGeometry::ImageIndex(kLookNormal, 1, true), 3); // x 75-99
    EXPECT_EQ(iButtonGeometry::ImageIndex(kLookPressed, 1, true), 5);
    EXPECT_EQ(iButtonGeometry::ImageIndex(kLookPressed, 1, false), 2);
    // Value counts only for style 1; any non-zero style has six slices.
    EXPECT_EQ(iButtonGeometry::ImageIndex(kLookOver, 0, true), 1);
    EXPECT_EQ(iButtonGeometry::SliceCount(2), 6);
    EXPECT_EQ(iButtonGeometry::ImageIndex(kLookOver, 2, true), 1);
}

TEST(iButtonGeometry, ImagesCoverEveryLookAndNoMore) {
    EXPECT_EQ(iButtonGeometry::ImageCount(0), 4);
    EXPECT_EQ(iButtonGeometry::ImageCount(1), 8);
    for (std::int32_t style : {2, 1000000, -1, -2147483647 - 1}) {
        EXPECT_EQ(iButtonGeometry::ImageCount(style), 8) << style;
        for (int look = 0; look < 4; ++look) {
            for (bool value : {false, true}) {
                EXPECT_LT(iButtonGeometry::ImageIndex(look, style, value),
                          iButtonGeometry::ImageCount(style));
            }
        }
    }
    for (int look = 0; look < 4; ++look) {
        EXPECT_LT(iButtonGeometry::ImageIndex(look, 1, true), iButtonGeometry::ImageCount(1));
    }
}

TEST(iButtonGeometry, CaptionStripsOfTheMainWindow) {
    EXPECT_EQ(iButtonGeometry::SliceWidth(Himetric(129), 0), 43); // close
    EXPECT_EQ(iButtonGeometry::SliceWidth(Himetric(72), 0), 24);  // min, tool
    EXPECT_EQ(iButtonGeometry::SliceHeight(Himetric(18)), 18);
}

TEST(iButtonGeometry, LockedShowsThePressedBackgroundInEveryLook) {
    for (int look = 0; look < 4; ++look) {
        EXPECT_EQ(iButtonGeometry::BackgroundLook(look, true), kLookPressed);
        EXPECT_EQ(iButtonGeometry::BackgroundLook(look, false), look);
    }
}

TEST(iButtonGeometry, CurrentLookFollowsEnabledButtonAndPointer) {
    EXPECT_EQ(iButtonGeometry::CurrentLook(false, true, true), kLookDisabled);
    EXPECT_EQ(iButtonGeometry::CurrentLook(true, true, true), kLookPressed);
    EXPECT_EQ(iButtonGeometry::CurrentLook(true, true, false), kLookNormal);
    EXPECT_EQ(iButtonGeometry::CurrentLook(true, false, true), kLookOver);
    EXPECT_EQ(iButtonGeometry::CurrentLook(true, false, false), kLookNormal);
}

TEST(iButtonGeometry, CaptionIsCentredAndMovesOnePixelWhenPressed) {
    TwipPoint normal = iButtonGeometry::CaptionPosition(975, 375, 180, 180, false, 0, 0);
    EXPECT_EQ(normal, (TwipPoint{398, 98})); // 487.5 - 90 and 187.5 - 90, halves to even
    TwipPoint pressed = iButtonGeometry::CaptionPosition(975, 375, 180, 180, false, 0, 2);
    EXPECT_EQ(pressed, (TwipPoint{413, 113}));
    TwipPoint over = iButtonGeometry::CaptionPosition(975, 375, 180, 180, false, 0, 1);
    EXPECT_EQ(over, normal);
}

TEST(iButtonGeometry, IconSitsLeftOfTheCaptionWhichMovesRightByTheIconWidth) {
    const long iw = iButtonGeometry::IconWidthTwips(Himetric(16));
    EXPECT_EQ(iw, 240);
    EXPECT_EQ(iButtonGeometry::IconX(1485, 1080, iw), 82); // 742.5 - 540 - 120, halves to even
    TwipPoint c = iButtonGeometry::CaptionPosition(1485, 330, 1080, 180, true, iw, 0);
    EXPECT_EQ(c.x, 442); // 742.5 - 540 + 240 = 442.5, halves to even
    // Without a caption the icon is centred.
    EXPECT_EQ(iButtonGeometry::IconX(1200, 0, iw), 600 - 120);
}

TEST(iButtonGeometry, FocusRectangleIsThreePixelsInside) {
    auto f = iButtonGeometry::FocusRectangle(1125, 330, 15, 15);
    EXPECT_EQ(f.left, 3);
    EXPECT_EQ(f.top, 3);
    EXPECT_EQ(f.right, 72);
    EXPECT_EQ(f.bottom, 19);
}

TEST(FontInfo, TextFormRoundTrips) {
    FontInfo f;
    f.name = "宋体";
    f.size = 9;
    f.underline = true;
    EXPECT_EQ(f.ToText(), "宋体|9|u");
    auto back = FontInfo::FromText(f.ToText());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, f);
    auto bold = FontInfo::FromText("SimSun|10.5|bi");
    ASSERT_TRUE(bold);
    EXPECT_TRUE(bold->bold);
    EXPECT_TRUE(bold->italic);
    EXPECT_FALSE(bold->underline);
    EXPECT_DOUBLE_EQ(bold->size, 10.5);
    EXPECT_EQ(f.LogicalHeight(96), -12);
}

TEST(FontInfo, MalformedTextIsRefused) {
    for (const char* bad :
         {"", "宋体", "宋体|9", "|9|", "宋体|x|", "宋体|9|z", "宋体|-3|", "宋体|9q|"}) {
        EXPECT_FALSE(FontInfo::FromText(bad)) << bad;
    }
}

TEST(MaskRuns, MaskColourPixelsAreLeftOut) {
    // 5 x 2: row 0 = K . . K .   row 1 = K K K K K   (K magenta)
    const std::uint8_t K[4] = {255, 0, 255, 0}, W[4] = {255, 255, 255, 0};
    std::vector<std::uint8_t> px;
    for (const std::uint8_t* p : {K, W, W, K, W, K, K, K, K, K}) {
        px.insert(px.end(), p, p + 4);
    }
    auto runs = MaskRuns::Build(px.data(), 5, 2, 0xFF00FF);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0], (MaskRun{1, 3, 0}));
    EXPECT_EQ(runs[1], (MaskRun{4, 5, 0}));
    EXPECT_TRUE(MaskRuns::Build(nullptr, 5, 2, 0xFF00FF).empty());
}

} // namespace
} // namespace velm
