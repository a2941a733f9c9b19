#include "platform/qt/x11/screen_coordinates.h"

#include <gtest/gtest.h>

#include <utility>

namespace vellicor::qt {
namespace {

// A 1440 x 900 primary screen at Qt's origin, a 1280 x 800 one to its left and
// lower, and a third one above the primary.
const Rect kPrimary{{0, 0}, {1440, 900}};

void expectRect(const Rect& r, double x, double y, double w, double h) {
  EXPECT_DOUBLE_EQ(r.origin.x, x);
  EXPECT_DOUBLE_EQ(r.origin.y, y);
  EXPECT_DOUBLE_EQ(r.size.width, w);
  EXPECT_DOUBLE_EQ(r.size.height, h);
}

TEST(ScreenCoordinates, ScreensFlipAroundThePrimaryBottomEdge) {
  expectRect(rectFromTopLeft(kPrimary, kPrimary), 0, 0, 1440, 900);
  // Qt's y 100 to 900 on the left-hand screen is 0 to 800 above the primary's bottom.
  expectRect(rectFromTopLeft({{-1280, 100}, {1280, 800}}, kPrimary), -1280, 0, 1280, 800);
  // A screen above the primary has negative Qt y and starts at the primary's top.
  expectRect(rectFromTopLeft({{0, -1080}, {1920, 1080}}, kPrimary), 0, 900, 1920, 1080);
}

TEST(ScreenCoordinates, APointerPixelLiesInTheScreenThatShowsIt) {
  // tools/x-session's layout in Qt's space: the primary on the right, a lower,
  // shorter screen on its left.
  const Rect primaryQt{{1280, 0}, {1440, 900}};
  const Rect leftQt{{0, 100}, {1280, 800}};
  const Rect primary = rectFromTopLeft(primaryQt, primaryQt);
  const Rect left = rectFromTopLeft(leftQt, primaryQt);
  const auto at = [&](int x, int y) { return pixelFromTopLeft(x, y, primaryQt); };
  // Every corner pixel of each screen is in that screen and in no other.
  for (const auto& [x, y] : {std::pair{0, 100}, {1279, 100}, {0, 899}, {1279, 899}}) {
    EXPECT_TRUE(contains(left, at(x, y))) << x << "," << y;
    EXPECT_FALSE(contains(primary, at(x, y))) << x << "," << y;
  }
  for (const auto& [x, y] : {std::pair{1280, 0}, {2719, 0}, {1280, 899}, {2719, 899}}) {
    EXPECT_TRUE(contains(primary, at(x, y))) << x << "," << y;
    EXPECT_FALSE(contains(left, at(x, y))) << x << "," << y;
  }
  // The rows just above and below the left screen are in neither.
  for (const auto& [x, y] : {std::pair{640, 99}, {640, 900}}) {
    EXPECT_FALSE(contains(left, at(x, y))) << x << "," << y;
    EXPECT_FALSE(contains(primary, at(x, y))) << x << "," << y;
  }
  // A pixel is reported as its lower-left corner in the program's space.
  const Point origin = at(1280, 899);
  EXPECT_DOUBLE_EQ(origin.x, 0);
  EXPECT_DOUBLE_EQ(origin.y, 0);
}

TEST(ScreenCoordinates, StackedScreensShareNoRowOfPixels) {
  const Rect topQt{{0, 0}, {1360, 500}};
  const Rect bottomQt{{0, 500}, {1360, 500}};
  for (const Rect& primaryQt : {topQt, bottomQt}) {
    const Rect top = rectFromTopLeft(topQt, primaryQt);
    const Rect bottom = rectFromTopLeft(bottomQt, primaryQt);
    for (const int y : {0, 499}) {
      EXPECT_TRUE(contains(top, pixelFromTopLeft(680, y, primaryQt))) << y;
      EXPECT_FALSE(contains(bottom, pixelFromTopLeft(680, y, primaryQt))) << y;
    }
    for (const int y : {500, 999}) {
      EXPECT_TRUE(contains(bottom, pixelFromTopLeft(680, y, primaryQt))) << y;
      EXPECT_FALSE(contains(top, pixelFromTopLeft(680, y, primaryQt))) << y;
    }
  }
}

TEST(ScreenCoordinates, AWindowFrameRoundTrips) {
  // The HUD centred on the primary screen: 160 x 90 at (640, 405) in the program's space.
  const Rect hud{{640, 405}, {160, 90}};
  const Rect onQt = rectToTopLeft(hud, kPrimary);
  expectRect(onQt, 640, 405, 160, 90);
  const Rect lower{{-720, 30}, {228, 90}};
  expectRect(rectToTopLeft(lower, kPrimary), -720, 780, 228, 90);
  expectRect(rectFromTopLeft(rectToTopLeft(lower, kPrimary), kPrimary), -720, 30, 228, 90);
}

}  // namespace
}  // namespace vellicor::qt
