#include "platform/qt/panel_anchor.h"

#include <gtest/gtest.h>

namespace vellicor::qt {
namespace {

using std::chrono::milliseconds;

TEST(PanelAnchor, OnX11ThePointerChooses) {
  EXPECT_EQ(panelAnchor(false, false, true), PanelAnchor::Pointer);
  EXPECT_EQ(panelAnchor(false, false, false), PanelAnchor::Pointer);
}

TEST(PanelAnchor, TheOutputTheSessionNamesComesFirst) {
  EXPECT_EQ(panelAnchor(true, true, true), PanelAnchor::ActiveOutput);
  EXPECT_EQ(panelAnchor(true, true, false), PanelAnchor::ActiveOutput);
}

// XWayland's pointer is where the user is only while it is over an X window.
TEST(PanelAnchor, InAWaylandSessionThePointerCountsOnlyOverAnXWindow) {
  EXPECT_EQ(panelAnchor(true, false, true), PanelAnchor::Pointer);
  EXPECT_EQ(panelAnchor(true, false, false), PanelAnchor::PrimaryScreen);
}

// The shell holds the pointer for a moment at each Super+Space: a pointer that
// has just left the X windows may be back in a moment.
TEST(PanelAnchor, APointerThatLeftTheXWindowsAMomentAgoIsWaitedFor) {
  EXPECT_TRUE(waitForPointer(true, false, false, milliseconds(0)));
  EXPECT_TRUE(waitForPointer(true, false, false, kPointerJustLeft - milliseconds(1)));
  EXPECT_FALSE(waitForPointer(true, false, false, kPointerJustLeft));
  EXPECT_FALSE(waitForPointer(true, false, false, std::nullopt));
}

TEST(PanelAnchor, NothingIsWaitedForWhereThePointerIsKnownOrDoesNotDecide) {
  EXPECT_FALSE(waitForPointer(true, false, true, milliseconds(0)));
  EXPECT_FALSE(waitForPointer(true, true, false, milliseconds(0)));
  EXPECT_FALSE(waitForPointer(false, false, false, milliseconds(0)));
}

}  // namespace
}  // namespace vellicor::qt
