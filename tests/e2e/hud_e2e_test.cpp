// The HUD as a person sees it: round corners with or without a compositor,
// and nothing of it left on the screen once it hides.

#include <gtest/gtest.h>

#include <string>

#include "running_program.h"

namespace vellicor::e2e {
namespace {

class HUD : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x.connected());
    resetKeyboard(x);
  }
  void TearDown() override {
    // tools/x-session runs a compositor unless told otherwise.
    if (!hadCompositor_ || x.selectionOwned("_NET_WM_CM_S0")) {
      return;
    }
    Child compositor({"xcompmgr"});
    eventually([&] { return x.selectionOwned("_NET_WM_CM_S0"); });
    compositor.detach();
  }

  // Switches to the other group and waits for the HUD to show its name.
  bool flash() {
    group_ = 1 - group_;
    x.lockGroup(group_);
    const std::string name = group_ == 1 ? kKorean : kEnglish;
    return eventually([&] { return screen.hudText() == name; });
  }
  int cornersCut() {
    const auto state = x.window(screen.hud());
    return state ? state->boundingRectangles : -1;
  }

  XTestClient x;
  Screen screen{x};
  bool hadCompositor_ = x.connected() && x.selectionOwned("_NET_WM_CM_S0");
  unsigned group_ = 0;
};

TEST_F(HUD, ItsCornersAreCutByItsShapeOnlyWhenNoCompositorDrawsThemTranslucent) {
  RunningProgram program("corners");
  ASSERT_TRUE(program.started()) << program.log();
  if (x.selectionOwned("_NET_WM_CM_S0")) {
    ASSERT_TRUE(flash());
    EXPECT_EQ(cornersCut(), 1) << "a plain rectangle: the compositor blends the corners";
    x.endSelectionOwner("_NET_WM_CM_S0");
    ASSERT_TRUE(eventually([&] { return !x.selectionOwned("_NET_WM_CM_S0"); }));
  }
  // Without a compositor the panel is shaped with round corners. The program
  // learns of the compositor on another connection than of the switch, so the
  // shape may follow the flash by a moment.
  ASSERT_TRUE(flash());
  EXPECT_TRUE(eventually([&] { return cornersCut() > 1; })) << cornersCut();
  // A compositor that starts while the program runs is seen at the next flash.
  Child compositor({"xcompmgr"});
  ASSERT_TRUE(eventually([&] { return x.selectionOwned("_NET_WM_CM_S0"); }));
  ASSERT_TRUE(flash());
  EXPECT_TRUE(eventually([&] { return cornersCut() == 1; })) << cornersCut();
  compositor.detach();
  hadCompositor_ = false;
}

TEST_F(HUD, ItLeavesTheScreenAfterTheLastChangeAndNothingOfItStays) {
  RunningProgram program("hides");
  ASSERT_TRUE(program.started()) << program.log();
  ASSERT_TRUE(flash());
  pause(0.6);
  // A second change restarts the countdown: still up 1.0 s after the first.
  ASSERT_TRUE(flash());
  pause(0.4);
  EXPECT_NE(screen.hud(), 0u);
  EXPECT_TRUE(eventually([&] { return screen.hud() == 0; }, 3.0));
  EXPECT_TRUE(x.viewableWindowsOf("vellicor").empty());
}

}  // namespace
}  // namespace vellicor::e2e
