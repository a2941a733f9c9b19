#include "platform/qt/screen_coordinates.h"

#include <gtest/gtest.h>

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

TEST(ScreenCoordinates, PointsFlipAndThePrimaryScreenIsTheOrigin) {
  const Point top = pointFromTopLeft({720, 0}, kPrimary);
  EXPECT_DOUBLE_EQ(top.x, 720);
  EXPECT_DOUBLE_EQ(top.y, 900);
  const Point bottom = pointFromTopLeft({10, 900}, kPrimary);
  EXPECT_DOUBLE_EQ(bottom.y, 0);
  // A primary screen that does not start at Qt's origin.
  // A primary screen right of and below Qt's origin is still at the program's origin.
  const Rect shifted{{1280, 200}, {1440, 900}};
  const Point corner = pointFromTopLeft({1300, 200}, shifted);
  EXPECT_DOUBLE_EQ(corner.x, 20);
  EXPECT_DOUBLE_EQ(corner.y, 900);
  expectRect(rectFromTopLeft(shifted, shifted), 0, 0, 1440, 900);
  expectRect(rectFromTopLeft({{0, 0}, {1280, 1024}}, shifted), -1280, 76, 1280, 1024);
  expectRect(rectToTopLeft({{-1280, 76}, {1280, 1024}}, shifted), 0, 0, 1280, 1024);
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
