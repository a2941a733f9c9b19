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

TEST(HUDConstruction, BuildsAHiddenClickThroughPanelOnEverySpace) {
  AppWorld w;
  w.hud();
  ASSERT_EQ(w.desktop.windows.windows().size(), 1u);
  const sim::SimWindow& window = *w.hudWindow();
  EXPECT_EQ(window.frame, (Rect{{0, 0}, {160, 90}}));
  EXPECT_EQ(window.styleMask, 0u);
  EXPECT_EQ(window.backing, 2);
  EXPECT_FALSE(window.defer);
  EXPECT_EQ(window.level, 25);
  EXPECT_EQ(window.opaque, false);
  EXPECT_EQ(window.backgroundColor, Color::Clear);
  EXPECT_EQ(window.ignoresMouseEvents, true);
  EXPECT_EQ(window.collectionBehavior, 17u);
  EXPECT_EQ(window.acceptsMouseMovedEvents, false);
  EXPECT_EQ(window.releasedWhenClosed, false);
  EXPECT_FALSE(window.visible);
  EXPECT_EQ(window.orderOuts, 1u);
  EXPECT_EQ(w.desktop.threads.armedTimerCount(), 0u);

  const auto* content = dynamic_cast<const sim::SimViewNode*>(window.contentView.get());
  ASSERT_NE(content, nullptr);
  EXPECT_FALSE(content->translatesAutoresizingMask);
  ASSERT_EQ(content->subviews.size(), 2u);

  const auto* bg = findBackground(window);
  ASSERT_NE(bg, nullptr);
  EXPECT_EQ(bg->frame, (Rect{{0, 0}, {160, 90}}));
  EXPECT_EQ(bg->material, 13);
  EXPECT_EQ(bg->state, 1);
  EXPECT_TRUE(bg->wantsLayer);
  ASSERT_NE(bg->simLayer, nullptr);
  EXPECT_EQ(bg->simLayer->cornerRadius, 14.0);
  EXPECT_FALSE(bg->translatesAutoresizingMask);

  // The label lies above the background.
  const auto* label = sim::findLabel(window);
  ASSERT_EQ(content->subviews.back().get(), static_cast<const View*>(label));
  EXPECT_EQ(label->identifier, "HUDLabel");
  EXPECT_EQ(label->stringValue, "");
  EXPECT_EQ(label->currentFont->pointSize(), 30.0);
  EXPECT_EQ(dynamic_cast<const sim::SimFont&>(*label->currentFont).weight, FontWeight::Semibold);
  EXPECT_EQ(label->textColor, Color::White);
  EXPECT_EQ(label->alignment, 1);
  EXPECT_EQ(label->lineBreakMode, 2);
  EXPECT_FALSE(label->translatesAutoresizingMask);
  EXPECT_EQ(content->constraints.size(), 10u);
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
