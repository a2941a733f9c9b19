#include <gtest/gtest.h>

#include "platform/qt/panel_anchor.h"

namespace vellicor::qt {
namespace {

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

}  // namespace
}  // namespace vellicor::qt
