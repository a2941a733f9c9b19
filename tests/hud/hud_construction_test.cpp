#include <gtest/gtest.h>

#include "support/app_world.h"

namespace vellicor::testing {
namespace {

const sim::SimVisualEffectView* findBackground(const sim::SimWindow& window) {
  const auto* content = dynamic_cast<const sim::SimViewNode*>(window.contentView.get());
  return content == nullptr || content->subviews.empty()
             ? nullptr
             : dynamic_cast<const sim::SimVisualEffectView*>(content->subviews.front().get());
}

// What the panel must be, whatever the rest of its settings: hidden until
// shown, above ordinary windows on every space, taking no clicks, arming no
// timer, with a translucent rounded background under a centred white label.
TEST(HUDConstruction, BuildsAHiddenClickThroughPanelOnEverySpace) {
  AppWorld w;
  w.hud();
  ASSERT_EQ(w.desktop.windows.windows().size(), 1u);
  const sim::SimWindow& window = *w.hudWindow();
  EXPECT_FALSE(window.visible);
  EXPECT_EQ(window.level, 25);
  EXPECT_EQ(window.collectionBehavior, 17u);
  EXPECT_EQ(window.ignoresMouseEvents, true);
  EXPECT_EQ(window.opaque, false);
  EXPECT_EQ(window.backgroundColor, Color::Clear);
  EXPECT_EQ(w.desktop.threads.armedTimerCount(), 0u);

  const auto* bg = findBackground(window);
  ASSERT_NE(bg, nullptr);
  ASSERT_NE(bg->simLayer, nullptr);
  EXPECT_EQ(bg->simLayer->cornerRadius, 14.0);
  // The label lies above the background.
  const auto* label = sim::findLabel(window);
  const auto* content = dynamic_cast<const sim::SimViewNode*>(window.contentView.get());
  ASSERT_EQ(content->subviews.back().get(), static_cast<const View*>(label));
  EXPECT_EQ(label->stringValue, "");
  EXPECT_EQ(label->currentFont->pointSize(), 30.0);
  EXPECT_EQ(label->textColor, Color::White);
  EXPECT_EQ(w.desktop.windows.activations(), 1u);
}

TEST(HUDConstruction, ConstraintsFillTheBackgroundAndKeepTheLabelInsideTheInsets) {
  AppWorld w;
  // 10 points per code point at any size, so widths are easy to read.
  w.desktop.fonts.setMeasurer([](const std::string& t, double) { return 10.0 * t.size(); });
  w.hud()->show("abcdefghij", 1.2);  // 100 wide: a 160-point panel
  sim::SimWindow& window = *w.hudWindow();
  const auto* label = sim::findLabel(window);
  ASSERT_EQ(window.frame.size.width, 160.0);
  EXPECT_EQ(window.resolvedFrame(*findBackground(window)), (Rect{{0, 0}, {160, 90}}));
  // Centred: 100 x 36 (1.2 x 30 points high) in a 160 x 90 panel.
  EXPECT_EQ(window.resolvedFrame(*label), (Rect{{30, 27}, {100, 36}}));
  EXPECT_FALSE(window.isClipped(*label));

  // Too wide even at 18 points: the label stops 24 points from each side and clips.
  w.hud()->show(std::string(60, 'w'), 1.2);
  ASSERT_EQ(window.frame.size.width, 520.0);
  const auto frame = window.resolvedFrame(*label);
  ASSERT_TRUE(frame.has_value());
  EXPECT_EQ(frame->origin.x, 24.0);
  EXPECT_EQ(frame->size.width, 520.0 - 48.0);
  EXPECT_GE(frame->origin.y, 18.0);
  EXPECT_LE(frame->origin.y + frame->size.height, 90.0 - 18.0);
  EXPECT_TRUE(window.isClipped(*label));
}

TEST(HUDConstruction, CompletesWithoutALayerForTheBackground) {
  AppWorld w;
  w.desktop.windows.setLayersAvailable(false);
  w.hud()->show("ABC", 1.2);
  const auto* bg = findBackground(*w.hudWindow());
  ASSERT_NE(bg, nullptr);
  EXPECT_EQ(bg->simLayer, nullptr);
  EXPECT_TRUE(w.hudWindow()->visible);
}

}  // namespace
}  // namespace vellicor::testing
