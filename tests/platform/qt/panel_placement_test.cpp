#include "platform/qt/panel_placement.h"

#include <gtest/gtest.h>

namespace vellicor::qt {
namespace {

TEST(PanelPlacement, PanelsOfAnyWidthAroundOneCentreLeaveTheWindowWhereItIs) {
  PixelRect capacity{0, 0, 520, 90};
  // Centred on (2000, 450): widths as the HUD gives them, odd and even.
  const auto at = [&](double width) {
    return placePanel({{2000 - width / 2, 405}, {width, 90}}, capacity);
  };
  const PanelPlacement wide = at(518);
  EXPECT_EQ(wide.window, (PixelRect{1740, 405, 520, 90}));
  for (const double width : {160.0, 221.0, 349.0, 517.0, 518.0, 520.0}) {
    const PanelPlacement placed = at(width);
    EXPECT_EQ(placed.window, wide.window) << width;
    // The panel keeps its size and sits where the frame asked, inside the window.
    EXPECT_EQ(placed.panel.width, static_cast<int>(width)) << width;
    EXPECT_EQ(placed.panel.height, 90);
    EXPECT_NEAR(placed.window.x + placed.panel.x + placed.panel.width / 2.0, 2000, 0.5) << width;
    EXPECT_GE(placed.panel.x, 0);
    EXPECT_LE(placed.panel.x + placed.panel.width, placed.window.width);
  }
  EXPECT_EQ(capacity, (PixelRect{0, 0, 520, 90}));
}

TEST(PanelPlacement, AFrameLargerThanTheWindowGrowsItOnce) {
  PixelRect capacity{0, 0, 160, 90};
  const PanelPlacement first = placePanel({{100, 200}, {300.4, 90}}, capacity);
  EXPECT_EQ(capacity, (PixelRect{0, 0, 300, 90}));
  EXPECT_EQ(first.panel, (PixelRect{0, 0, 300, 90}));
  // Smaller again: the window keeps its size.
  placePanel({{150, 200}, {200, 90}}, capacity);
  EXPECT_EQ(capacity, (PixelRect{0, 0, 300, 90}));
  // Taller too.
  const PanelPlacement tall = placePanel({{0, 0}, {100, 120}}, capacity);
  EXPECT_EQ(capacity, (PixelRect{0, 0, 300, 120}));
  EXPECT_EQ(tall.window, (PixelRect{-100, 0, 300, 120}));
  EXPECT_EQ(tall.panel, (PixelRect{100, 0, 100, 120}));
}

TEST(PanelPlacement, FractionalFramesStayInsideTheWindow) {
  PixelRect capacity{0, 0, 520, 90};
  for (double x = -0.5; x <= 0.5; x += 0.125) {
    for (double width = 519.0; width <= 520.0; width += 0.25) {
      const PanelPlacement placed = placePanel({{x, 10.5}, {width, 89.5}}, capacity);
      EXPECT_GE(placed.panel.x, 0) << x << " " << width;
      EXPECT_GE(placed.panel.y, 0) << x << " " << width;
      EXPECT_LE(placed.panel.x + placed.panel.width, placed.window.width) << x << " " << width;
      EXPECT_LE(placed.panel.y + placed.panel.height, placed.window.height) << x << " " << width;
    }
  }
}

}  // namespace
}  // namespace vellicor::qt
