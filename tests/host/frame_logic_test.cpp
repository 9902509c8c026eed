#include "frame/FrameGeometry.h"
#include "frame/MsgList.h"
#include "frame/SubclassRecord.h"

#include <gtest/gtest.h>

namespace velm {
namespace {

const FrameRect kWin{100, 50, 1100, 750}; // 1000 x 700

TEST(FrameGeometry, CornersWinOverEdgesInTheirOrder) {
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 103, 53), kBorderTopLeft);
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 1097, 53), kBorderTopRight);
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 1097, 747), kBorderBottomRight);
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 103, 747), kBorderBottomLeft);
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 600, 53), kBorderTop);
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 1097, 400), kBorderRight);
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 600, 747), kBorderBottom);
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 103, 400), kBorderLeft);
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 120, 70), kBorderNone);
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 600, 400), kBorderNone);
}

TEST(FrameGeometry, BandIsFivePixels) {
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 600, 55), kBorderTop);
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 600, 56), kBorderNone);
    // Edges need the pointer clear of the corner zone.
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 105, 53), kBorderTopLeft);
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 106, 53), kBorderTop);
}

TEST(FrameGeometry, TinyWindowPrefersTheLeftCornersAndBottom) {
    const FrameRect tiny{0, 0, 6, 6};
    EXPECT_EQ(FrameGeometry::HitTestBorder(tiny, 3, 3), kBorderBottomLeft);
}

TEST(FrameGeometry, PointersFollowTheTable) {
    const int expected[] = {kPointerArrow,    kPointerSizeNS,   kPointerSizeNESW,
                            kPointerSizeWE,   kPointerSizeNWSE, kPointerSizeNS,
                            kPointerSizeNESW, kPointerSizeWE,   kPointerSizeNWSE};
    for (int code = -1; code <= 7; ++code) {
        EXPECT_EQ(FrameGeometry::PointerFor(code), expected[code + 1]) << code;
    }
}

TEST(FrameGeometry, RightAndLeftStopAt800AndBottomAt600) {
    FrameRect o = kWin;
    FrameGeometry::UpdateOutline(o, kBorderRight, 950, 400);
    EXPECT_EQ(o.right, 950);
    FrameGeometry::UpdateOutline(o, kBorderRight, 900, 400); // width would be 800
    EXPECT_EQ(o.right, 950);
    FrameGeometry::UpdateOutline(o, kBorderRight, 901, 400);
    EXPECT_EQ(o.right, 901);

    o = kWin;
    FrameGeometry::UpdateOutline(o, kBorderLeft, 300, 400); // width 800: refused
    EXPECT_EQ(o.left, 100);
    FrameGeometry::UpdateOutline(o, kBorderLeft, 299, 400);
    EXPECT_EQ(o.left, 299);

    o = kWin;
    FrameGeometry::UpdateOutline(o, kBorderBottom, 600, 650); // height 600: refused
    EXPECT_EQ(o.bottom, 750);
    FrameGeometry::UpdateOutline(o, kBorderBottom, 600, 651);
    EXPECT_EQ(o.bottom, 651);

    o = kWin;
    FrameGeometry::UpdateOutline(o, kBorderBottomRight, 500, 300);
    EXPECT_EQ(o, kWin);
    FrameGeometry::UpdateOutline(o, kBorderBottomLeft, 1200, 1000);
    EXPECT_EQ(o.left, 100);
    EXPECT_EQ(o.bottom, 1000);
}

TEST(FrameGeometry, BandAndMinimumSizeFollowTheWindowsDpi) {
    // At 144 dpi the five-pixel band is 7.5 pixels, rounded to 8; the minimum is 1200 x 900.
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 600, 58, 144), kBorderTop);
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 600, 59, 144), kBorderNone);
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 108, 53, 144), kBorderTopLeft);
    EXPECT_EQ(FrameGeometry::HitTestBorder(kWin, 109, 53, 144), kBorderTop);
    FrameRect o{100, 50, 1500, 1050};
    FrameGeometry::UpdateOutline(o, kBorderRight, 1300, 400, 144); // width 1200: refused
    EXPECT_EQ(o.right, 1500);
    FrameGeometry::UpdateOutline(o, kBorderRight, 1301, 400, 144);
    EXPECT_EQ(o.right, 1301);
    FrameGeometry::UpdateOutline(o, kBorderBottom, 600, 950, 144); // height 900: refused
    EXPECT_EQ(o.bottom, 1050);
    FrameGeometry::UpdateOutline(o, kBorderBottom, 600, 951, 144);
    EXPECT_EQ(o.bottom, 951);
}

TEST(FrameGeometry, TopEdgesHaveNoMinimumButNeverTurnInsideOut) {
    FrameRect o = kWin;
    FrameGeometry::UpdateOutline(o, kBorderTop, 600, 700); // 50 px high
    EXPECT_EQ(o.top, 700);
    FrameGeometry::UpdateOutline(o, kBorderTop, 600, 900);
    EXPECT_EQ(o.top, 749);
    o = kWin;
    FrameGeometry::UpdateOutline(o, kBorderTopLeft, 1000, 60);
    EXPECT_EQ(o.left, 1000); // 100 px wide: no minimum at the top corners
    EXPECT_EQ(o.top, 60);
    FrameGeometry::UpdateOutline(o, kBorderTopLeft, 1500, 60);
    EXPECT_EQ(o.left, 1099);
    o = kWin;
    FrameGeometry::UpdateOutline(o, kBorderTopRight, 50, 40);
    EXPECT_EQ(o.right, 101);
    EXPECT_EQ(o.top, 40);
}

TEST(FrameGeometry, TaskbarHeightIsTheStripBelowTheWorkArea) {
    EXPECT_EQ(FrameGeometry::TaskbarHeightTwips(768 * 15, 15, 728), 600);
    EXPECT_EQ(FrameGeometry::TaskbarHeightTwips(768 * 15, 15, 768), 0);
    EXPECT_EQ(FrameGeometry::TaskbarHeightTwips(1080 * 15, 15, 1040), 600);
}

TEST(MsgList, AddingTwiceKeepsOneAndEmptyPlacesAreReused) {
    MsgList l;
    l.Add(0x200);
    l.Add(0x201);
    l.Add(0x200);
    EXPECT_EQ(l.Count(), 2);
    l.Delete(0x200);
    EXPECT_EQ(l.Count(), 2) << "deleting empties the place and keeps the count";
    EXPECT_EQ(l.At(1), 0);
    EXPECT_FALSE(l.Contains(0x200));
    EXPECT_TRUE(l.Contains(0x201));
    l.Add(0x202);
    EXPECT_EQ(l.Count(), 2);
    EXPECT_EQ(l.At(1), 0x202);
    EXPECT_FALSE(l.Contains(0)) << "an empty place is no message";
}

TEST(MsgList, MinusOneMeansAllAndDeletingItMeansNone) {
    MsgList l;
    EXPECT_FALSE(l.Contains(0x10));
    l.Add(MsgList::kAll);
    EXPECT_EQ(l.Count(), -1);
    EXPECT_TRUE(l.Contains(0x10));
    EXPECT_TRUE(l.Contains(0xC000));
    l.Add(0x10);
    EXPECT_EQ(l.Count(), -1) << "a list of all messages stays all";
    l.Delete(MsgList::kAll);
    EXPECT_EQ(l.Count(), 0);
    EXPECT_FALSE(l.Contains(0x10));
}

TEST(SubclassRecord, ARecordInUseIsFreedByTheLastCallToReturn) {
    int owner = 0;
    SubclassRecord r(0x1234, &owner);
    r.Before().Add(MsgList::kAll);
    r.Enter();
    r.Enter(); // a nested call
    EXPECT_FALSE(r.Release()) << "calls are running";
    EXPECT_EQ(r.Owner(), nullptr);
    EXPECT_FALSE(r.Before().Contains(1)) << "a running call finds nothing more to report";
    EXPECT_FALSE(r.Leave());
    EXPECT_TRUE(r.Leave());
}

TEST(SubclassRecord, AnIdleRecordIsFreedAtOnceAndAnActiveOneIsKept) {
    int owner = 0;
    SubclassRecord r(1, &owner);
    EXPECT_TRUE(r.Release());
    SubclassRecord s(2, &owner);
    s.Enter();
    EXPECT_FALSE(s.Leave()) << "not released: the record stays";
}

TEST(SubclassRecord, NewRecordsTakeTheHighestFreeEntryOrGrowTheTable) {
    SubclassRecord a(1, nullptr), b(2, nullptr);
    std::vector<SubclassRecord*> t;
    EXPECT_EQ(SubclassRecord::FreeSlot(t), 0u);
    t = {&a, nullptr, &b, nullptr, &a};
    EXPECT_EQ(SubclassRecord::FreeSlot(t), 3u);
    t = {&a, &b};
    EXPECT_EQ(SubclassRecord::FreeSlot(t), 2u);
}

} // namespace
} // namespace velm
