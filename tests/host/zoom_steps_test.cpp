#include "mainwindow/ZoomSteps.h"

#include <gtest/gtest.h>

namespace velm {
namespace {

TEST(ZoomSteps, StepsStopAtTheEndsAndSitesAreSchemeAndHost) {
    EXPECT_EQ(NextZoomStep(100, +1), 110);
    EXPECT_EQ(NextZoomStep(100, -1), 90);
    EXPECT_EQ(NextZoomStep(200, +1), 200);
    EXPECT_EQ(NextZoomStep(50, -1), 50);
    EXPECT_EQ(NextZoomStep(130, +1), 150);
    EXPECT_EQ(NextZoomStep(130, -1), 125);
    EXPECT_EQ(ZoomSite("HTTP://User:pw@Game.Example.com:8080/velm/game/1/?a=b"),
              "http://game.example.com");
    EXPECT_EQ(ZoomSite("https://[::1]:8443/x"), "https://[::1]");
    EXPECT_EQ(ZoomSite("about:blank"), "");
    EXPECT_EQ(ZoomSite("http:///path"), "");
}

} // namespace
} // namespace velm
