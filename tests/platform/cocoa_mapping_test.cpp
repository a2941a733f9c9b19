#include "platform/cocoa/cocoa_mapping.h"

#include <gtest/gtest.h>

#include <limits>

namespace vellicor::cocoa {
namespace {

TEST(CocoaActions, MenuActionsAreOneArgumentSelectorsAndBack) {
  EXPECT_EQ(actionSelectorName("quitApp"), "quitApp:");
  EXPECT_EQ(actionSelectorName("quitApp:"), "quitApp:");
  EXPECT_EQ(actionSelectorName(""), "");
  EXPECT_EQ(actionFromSelectorName("quitApp:"), "quitApp");
  EXPECT_EQ(actionFromSelectorName(actionSelectorName("terminate")), "terminate");
}

TEST(CocoaTimers, DelaysBecomeNanosecondsOrNever) {
  EXPECT_EQ(dispatchDelayNanoseconds(1.2), 1'200'000'000);
  EXPECT_EQ(dispatchDelayNanoseconds(0), 0);
  EXPECT_EQ(dispatchDelayNanoseconds(-3), 0);
  EXPECT_EQ(dispatchDelayNanoseconds(-std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(dispatchDelayNanoseconds(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
  EXPECT_EQ(dispatchDelayNanoseconds(std::numeric_limits<double>::infinity()), std::nullopt);
  EXPECT_EQ(dispatchDelayNanoseconds(1e300), std::nullopt);
}

}  // namespace
}  // namespace vellicor::cocoa
