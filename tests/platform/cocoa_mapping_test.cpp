#include "platform/cocoa/cocoa_mapping.h"

#include <gtest/gtest.h>

namespace vellicor::cocoa {
namespace {

TEST(CocoaActions, MenuActionsAreOneArgumentSelectorsAndBack) {
  EXPECT_EQ(actionSelectorName("quitApp"), "quitApp:");
  EXPECT_EQ(actionSelectorName("quitApp:"), "quitApp:");
  EXPECT_EQ(actionSelectorName(""), "");
  EXPECT_EQ(actionFromSelectorName("quitApp:"), "quitApp");
  EXPECT_EQ(actionFromSelectorName(actionSelectorName("terminate")), "terminate");
}

}  // namespace
}  // namespace vellicor::cocoa
