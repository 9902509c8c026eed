#include "mainwindow/MainMessages.h"

#include <gtest/gtest.h>

namespace velm {
namespace {

constexpr unsigned kHotKey = 0x0312;

TEST(MainMessages, F10HotKeyTogglesWhateverItsIdentifier) {
    EXPECT_EQ(ClassifyMainMessage(kHotKey, 1000, 0x00790000), MainMessageAction::Toggle);
    EXPECT_EQ(ClassifyMainMessage(kHotKey, 7, 0x00790000), MainMessageAction::Toggle);
    EXPECT_EQ(ClassifyMainMessage(kHotKey, 1000, 0x00790002), MainMessageAction::Toggle)
        << "modifier bits in the low word are not looked at";
    EXPECT_EQ(ClassifyMainMessage(kHotKey, 1000, 0x00780000), MainMessageAction::PassOn);
    EXPECT_EQ(ClassifyMainMessage(kHotKey, 1000, 0x79), MainMessageAction::PassOn);
}

TEST(MainMessages, TrayButtonReleases) {
    EXPECT_EQ(ClassifyMainMessage(0x1862, 1000, 0x0202), MainMessageAction::Toggle);
    EXPECT_EQ(ClassifyMainMessage(0x1862, 1000, 0x0205), MainMessageAction::TrayMenu);
    for (long other : {0x0200L, 0x0201L, 0x0203L, 0x0204L, 0x0206L, 0x0207L, 0x0208L, 0L}) {
        EXPECT_EQ(ClassifyMainMessage(0x1862, 1000, other), MainMessageAction::PassOn) << other;
    }
}

TEST(MainMessages, EverythingElsePassesOn) {
    for (unsigned msg : {0x0001u, 0x0202u, 0x0205u, 0x1861u, 0x1863u, 0x0111u}) {
        EXPECT_EQ(ClassifyMainMessage(msg, 0, 0x0202), MainMessageAction::PassOn) << msg;
    }
}

} // namespace
} // namespace velm
