#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "support/app_world.h"

namespace vellicor::testing {
namespace {

class HUDPresentation : public ::testing::Test {
 protected:
  void SetUp() override {
    // 10 points per byte at 30 points, scaled with the size.
    w.desktop.fonts.setMeasurer(
        [](const std::string& t, double size) { return 10.0 * t.size() * size / 30.0; });
    hud = w.hud();
    window = w.hudWindow();
  }
  sim::SimThreads& threads() { return w.desktop.threads; }
  const sim::SimLabel& label() { return *sim::findLabel(*window); }

  AppWorld w;
  std::shared_ptr<HUDManager> hud;
  sim::SimWindow* window = nullptr;
};

TEST_F(HUDPresentation, CentresOnTheWholeScreenAndHidesAfterTheDuration) {
  // A Dock or menu bar would not matter: the whole frame is used.
  w.desktop.screens.setScreens({{{0, 0}, {1440, 900}}});
  hud->show("abcdefghijklmnopqrstuvwxyz", 1.2);  // 260 + 48 = 308
  EXPECT_TRUE(window->visible);
  EXPECT_EQ(window->frame, (Rect{{720 - 154, 450 - 45}, {308, 90}}));
  EXPECT_TRUE(window->lastDisplayFlag);
  EXPECT_EQ(window->alpha, 1.0);
  EXPECT_EQ(label().stringValue, "abcdefghijklmnopqrstuvwxyz");

  threads().advance(1.199);
  EXPECT_TRUE(window->visible);
  threads().advance(0.002);
  EXPECT_FALSE(window->visible);
  EXPECT_EQ(window->alpha, 1.0);
}

TEST_F(HUDPresentation, DurationsThatNameNoFutureMomentHideOnceTheQueueRuns) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  for (double duration : {0.0, -1.0, -inf, inf, std::numeric_limits<double>::quiet_NaN()}) {
    hud->show("ABC", duration);
    EXPECT_TRUE(window->visible) << duration;  // shown, then hidden by the timer
    threads().advance(0);
    EXPECT_FALSE(window->visible) << duration;
  }
  // A new presentation with a sound duration is not cut short by any of them.
  hud->show("ABC", 1.2);
  threads().advance(1.1);
  EXPECT_TRUE(window->visible);
}

TEST_F(HUDPresentation, AnAbsurdlyLongDurationStillEnds) {
  hud->show("ABC", 1e300);
  threads().advance(24 * 86400.0);
  EXPECT_TRUE(window->visible);
  threads().advance(86400.0);
  EXPECT_FALSE(window->visible);
}

TEST_F(HUDPresentation, ASecondShowRestartsTheCountdownWithoutAGap) {
  hud->show("ABC", 1.2);
  threads().advance(0.5);
  hud->show("Dvorak", 1.2);
  const auto outsBefore = window->orderOuts;
  threads().advance(1.19);  // 1.69 s after the first call
  EXPECT_TRUE(window->visible);
  EXPECT_EQ(window->orderOuts, outsBefore);
  threads().advance(0.02);
  EXPECT_FALSE(window->visible);
  EXPECT_EQ(threads().firedTimerCount(), 1u);  // the first timer never ran
  EXPECT_EQ(label().stringValue, "Dvorak");
}

TEST_F(HUDPresentation, InvalidateHidesAtOnceAndDisarmsAndShowWorksAfterwards) {
  hud->invalidate();  // hidden already: nothing fails
  EXPECT_FALSE(window->visible);
  hud->show("ABC", 1.2);
  threads().advance(0.3);
  hud->invalidate();
  EXPECT_FALSE(window->visible);
  EXPECT_EQ(threads().armedTimerCount(), 0u);
  threads().advance(5);
  EXPECT_EQ(threads().firedTimerCount(), 0u);

  hud->show("Dvorak", 1.2);
  EXPECT_TRUE(window->visible);
  threads().advance(1.3);
  EXPECT_FALSE(window->visible);
  hud->invalidate();  // expired: still fine
  hud->show("ABC", 1.2);
  EXPECT_TRUE(window->visible);
}

TEST_F(HUDPresentation, ZeroOrNegativeDurationsHideAlmostAtOnce) {
  hud->show("ABC", 0);
  EXPECT_TRUE(window->visible);
  threads().advance(0);
  EXPECT_FALSE(window->visible);
  hud->show("ABC", -3);
  threads().advance(0);
  EXPECT_FALSE(window->visible);
}

TEST_F(HUDPresentation, TheFontOnlyShrinksAcrossPresentations) {
  hud->show(std::string(100, 'w'), 1.2);  // needs the 18-point floor
  EXPECT_EQ(label().currentFont->pointSize(), 18.0);
  hud->show("ABC", 1.2);
  EXPECT_EQ(label().currentFont->pointSize(), 18.0);
  EXPECT_EQ(window->frame.size.width, 160.0);
  hud->show("", 1.2);
  EXPECT_EQ(window->frame.size.width, 160.0);
  EXPECT_TRUE(window->visible);
}

TEST_F(HUDPresentation, ALabelWithoutAFontStartsFromThirtyPointSemibold) {
  const_cast<sim::SimLabel&>(label()).currentFont = nullptr;
  hud->show("ABC", 1.2);
  ASSERT_NE(label().currentFont, nullptr);
  EXPECT_EQ(label().currentFont->pointSize(), 30.0);
}

TEST_F(HUDPresentation, PicksTheScreenUnderThePointerByHalfOpenFrames) {
  // Listed so that each edge rule decides: the left screen comes before the
  // primary that shares its right edge, the primary before the screen above
  // that shares its top edge, and the main screen is a fourth one far away, so
  // that "no screen" is told apart from every other answer.
  const Rect left{{-800, 100}, {800, 600}};
  const Rect primary{{0, 0}, {1440, 900}};
  const Rect above{{0, 900}, {1000, 500}};
  const Rect away{{5000, 5000}, {100, 100}};
  w.desktop.screens.setScreens({left, primary, above, away});
  w.desktop.screens.setMainScreen(3);
  w.desktop.fonts.setMeasurer([](const std::string&, double) { return 253.0; });  // width 301

  struct Probe {
    Point pointer;
    Rect expected;
    const char* why;
  };
  const Probe probes[] = {
      {{-10, 300}, left, "inside"},
      {{0, 300}, primary, "a minimum-x edge is in, the maximum-x edge it meets is out"},
      {{-800, 300}, left, "a minimum-x edge with no screen beside it is in"},
      {{-400, 100}, left, "a minimum-y edge is in"},
      {{-400, 700}, away, "a maximum-y edge with no screen above is out"},
      {{500, 900}, above, "a minimum-y edge is in, the maximum-y edge it meets is out"},
      {{1440, 450}, away, "a maximum-x edge with no screen beside it is out"},
      {{500, 1400}, away, "the top edge of the screen above is out"},
  };
  for (const auto& probe : probes) {
    w.desktop.screens.setMouseLocation(probe.pointer);
    hud->show("x", 1.2);
    EXPECT_EQ(window->frame.origin,
              (Point{midX(probe.expected) - 150.5, midY(probe.expected) - 45}))
        << "(" << probe.pointer.x << ", " << probe.pointer.y << "): " << probe.why;
  }

  // The frame is passed on unrounded: a screen at (-800, 100), 800 wide.
  w.desktop.screens.setMouseLocation({-10, 300});
  hud->show("x", 1.2);
  EXPECT_EQ(window->frame, (Rect{{-550.5, 355}, {301, 90}}));

  // Without a main screen: the first one listed.
  w.desktop.screens.setMainScreen(std::nullopt);
  w.desktop.screens.setMouseLocation({5000, 6000});
  hud->show("x", 1.2);
  EXPECT_EQ(window->frame.origin, (Point{-400 - 150.5, 355}));
}

TEST_F(HUDPresentation, ANameIsShownOnOneLineWithItsControlsVisibleAndMeasuredAsShown) {
  w.desktop.screens.setScreens({{{0, 0}, {1440, 900}}});
  // ESC shows as its picture, U+241B; the C1 control CSI is left out.
  hud->show("Line\nBreak\tTab\r\nEnd\x1b\xC2\x9B", 1.2);
  EXPECT_EQ(label().stringValue, "Line Break Tab End\xE2\x90\x9B");
  // 21 bytes at 10 points each, plus the insets: the panel fits what is shown.
  EXPECT_EQ(window->frame.size.width, 210 + 48);
}

TEST_F(HUDPresentation, WithNoScreensNothingIsShownAndNoTimerIsArmed) {
  w.desktop.screens.setScreens({});
  hud->show("ABC", 1.2);
  EXPECT_FALSE(window->visible);
  EXPECT_EQ(window->orderFronts, 0u);
  EXPECT_EQ(threads().armedTimerCount(), 0u);
  threads().advance(2);
  EXPECT_FALSE(window->visible);
}

}  // namespace
}  // namespace vellicor::testing
