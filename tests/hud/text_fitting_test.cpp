#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/app_world.h"

namespace vellicor::testing {
namespace {

// Each text says the largest size at which it fits: there it measures exactly
// the 472 points the panel has inside its insets, above it one point more.
class TextFitting : public ::testing::Test {
 protected:
  void SetUp() override {
    w.desktop.fonts.setMeasurer([this](const std::string& text, double size) {
      const auto it = fitsAt.find(text);
      if (it == fitsAt.end()) {
        return 0.0;
      }
      return size <= it->second ? 472.0 : 473.0;
    });
  }
  std::shared_ptr<Font> font(double size) {
    return w.desktop.fonts.systemFont(size, FontWeight::Regular);
  }
  AppWorld w;
  std::map<std::string, double> fitsAt;
};

TEST_F(TextFitting, ShrinksOnePointAtATimeToTheFirstSizeThatFits) {
  fitsAt["wide"] = 25;
  const auto base = font(30);
  const auto before = w.desktop.fonts.measurements();
  const auto fitted = w.hud()->fittingFont("wide", base, 520.0);
  EXPECT_EQ(fitted->pointSize(), 25.0);
  EXPECT_EQ(dynamic_cast<const sim::SimFont&>(*fitted).weight, FontWeight::Semibold);
  EXPECT_EQ(w.desktop.fonts.measurements() - before, 6u);  // 30, 29 ... 25
}

TEST_F(TextFitting, KeepsTheBaseWhenItFitsOrIsAtTheFloor) {
  fitsAt["exact"] = 30;  // 472 + 48 is exactly the budget
  fitsAt["huge"] = 0;
  const auto base = font(30);
  EXPECT_EQ(w.hud()->fittingFont("exact", base, 520.0), base);
  EXPECT_EQ(w.hud()->fittingFont("", base, 520.0), base);
  const auto small = font(18);
  EXPECT_EQ(w.hud()->fittingFont("huge", small, 520.0), small);
  const auto tiny = font(12);
  EXPECT_EQ(w.hud()->fittingFont("huge", tiny, 520.0), tiny);
}

TEST_F(TextFitting, StopsAtEighteenPointsWithThirteenMeasurements) {
  fitsAt["huge"] = 0;
  const auto before = w.desktop.fonts.measurements();
  const auto fitted = w.hud()->fittingFont("huge", font(30), 520.0);
  EXPECT_EQ(fitted->pointSize(), 18.0);
  EXPECT_EQ(w.desktop.fonts.measurements() - before, 13u);
  EXPECT_EQ(w.hud()->widthFor("huge", *fitted), 520.0);
  // The result as the next base comes back as the very same font.
  EXPECT_EQ(w.hud()->fittingFont("huge", fitted, 520.0), fitted);
}

TEST_F(TextFitting, AFractionalBaseTakesOneStepBelowTheFloor) {
  fitsAt["huge"] = 0;
  EXPECT_EQ(w.hud()->fittingFont("huge", font(18.5), 520.0)->pointSize(), 17.5);
}

TEST_F(TextFitting, ABaseTooLargeToWalkDownGoesStraightToTheFloor) {
  fitsAt["huge"] = 0;
  fitsAt["big"] = 1000;
  // Within a thousand points of the floor the walk is exact.
  EXPECT_EQ(w.hud()->fittingFont("big", font(1018), 520.0)->pointSize(), 1000.0);
  EXPECT_EQ(w.hud()->fittingFont("huge", font(1018), 520.0)->pointSize(), 18.0);
  for (double base : {1019.0, 1e300, std::numeric_limits<double>::infinity()}) {
    const auto before = w.desktop.fonts.measurements();
    const auto fitted = w.hud()->fittingFont("big", font(base), 520.0);
    EXPECT_EQ(fitted->pointSize(), 18.0) << base;
    EXPECT_EQ(dynamic_cast<const sim::SimFont&>(*fitted).weight, FontWeight::Semibold);
    EXPECT_EQ(w.desktop.fonts.measurements() - before, 1u) << base;
  }
}

TEST_F(TextFitting, WidthIsRoundedUpAndClampedToThePanelLimits) {
  double measured = 0;
  w.desktop.fonts.setMeasurer([&](const std::string&, double) { return measured; });
  const auto one = font(1);
  const std::vector<std::pair<double, double>> expected{
      {0.0, 160.0},
      {100.2, 160.0},
      {300.4, 349.0},
      {300.0, 348.0},
      {472.0, 520.0},
      {471.5, 520.0},
      {470.5, 519.0},
      {500.0, 520.0},
      {-1e9, 160.0},
      {std::numeric_limits<double>::infinity(), 520.0},
      {-std::numeric_limits<double>::infinity(), 160.0},
      {std::numeric_limits<double>::quiet_NaN(), 520.0}};
  for (const auto& [input, width] : expected) {
    measured = input;
    EXPECT_EQ(w.hud()->widthFor("t", *one), width) << input;
  }
}

}  // namespace
}  // namespace vellicor::testing
