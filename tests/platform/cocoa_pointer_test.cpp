#include "platform/cocoa/cocoa_pointer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

namespace vellicor::cocoa {
namespace {

// The screen the HUD chooses: the first, in system order, whose frame holds
// the pointer NSEvent reports at `mouse`.
std::optional<std::size_t> screenUnder(const std::vector<Rect>& frames, Point mouse) {
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (contains(frames[i], pointerInFrames(mouse))) {
      return i;
    }
  }
  return std::nullopt;
}

constexpr Rect kPrimary{{0, 0}, {1440, 900}};

TEST(CocoaPointer, StackedScreensEachHoldTheirOwnTopRow) {
  const std::vector<Rect> stacked{kPrimary, {{0, 900}, {1440, 900}}, {{200, -1080}, {1920, 1080}}};
  EXPECT_EQ(screenUnder(stacked, {100, 900}), 0u);  // the primary's top row
  EXPECT_EQ(screenUnder(stacked, {100, 900.5}), 1u);
  EXPECT_EQ(screenUnder(stacked, {100, 1800}), 1u);  // the upper screen's top row
  EXPECT_EQ(screenUnder(stacked, {100, 1}), 0u);     // the primary's bottom row
  EXPECT_EQ(screenUnder(stacked, {300, 0}), 2u);     // the lower screen's top row
  EXPECT_EQ(screenUnder(stacked, {300, -1079}), 2u);
  EXPECT_EQ(screenUnder(stacked, {300, -1080}), std::nullopt);  // below its bottom row
  EXPECT_EQ(screenUnder(stacked, {100, 1800.5}), std::nullopt);
}

TEST(CocoaPointer, SideBySideScreensSplitAtTheLeftEdgeOfTheRightOne) {
  const std::vector<Rect> row{{{-1440, 0}, {1440, 900}}, kPrimary, {{1440, 300}, {1920, 1080}}};
  EXPECT_EQ(screenUnder(row, {0, 450}), 1u);
  EXPECT_EQ(screenUnder(row, {-0.5, 450}), 0u);
  EXPECT_EQ(screenUnder(row, {-0.5, 900}), 0u);               // the left screen's top row
  EXPECT_EQ(screenUnder(row, {1440, 1380}), 2u);              // the taller right screen's top row
  EXPECT_EQ(screenUnder(row, {1439.5, 1000}), std::nullopt);  // above the primary
  EXPECT_EQ(screenUnder(row, {-1441, 450}), std::nullopt);
}

// Against NSMouseInRect's documented rule (unflipped: the left and top edges
// in, the right and bottom ones out), on and beside every edge of frames with
// whole, half and awkward coordinates.
TEST(CocoaPointer, FramesHoldThePointerWhereNSMouseInRectDoes) {
  const std::vector<Rect> frames{
      kPrimary, {{-800, 100}, {800, 600}}, {{0.5, -0.25}, {3.75, 1e6}}, {{1e9, -1e9}, {0.1, 0.3}}};
  for (const Rect& r : frames) {
    const double xs[] = {r.origin.x, r.origin.x + r.size.width, r.origin.x + r.size.width / 2};
    const double top = r.origin.y + r.size.height;
    const double ys[] = {r.origin.y,
                         top,
                         r.origin.y + r.size.height / 2,
                         std::nextafter(r.origin.y, top),
                         std::nextafter(top, r.origin.y),
                         std::nextafter(top, 2 * top + 1)};
    for (double x : xs) {
      for (double y : ys) {
        const bool nsMouseInRect =
            x >= r.origin.x && x < r.origin.x + r.size.width && y > r.origin.y && y <= top;
        EXPECT_EQ(contains(r, pointerInFrames({x, y})), nsMouseInRect) << x << ", " << y;
      }
    }
  }
}

}  // namespace
}  // namespace vellicor::cocoa
