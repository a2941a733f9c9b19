// Events that another program on the display forges with SendEvent and sends
// to Vellicor's windows: a switch of the keyboard group, a tray host or a
// compositor that has gone. Vellicor acts only on what the X server reports.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "forging_client.h"
#include "running_program.h"

namespace vellicor::e2e {
namespace {

const std::string kChange = "입력 언어 변경";

class ForgedEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x.connected());
    ASSERT_TRUE(forger.connected());
    resetKeyboard(x);
    ensureTrayHost(x);
  }
  void TearDown() override { resetKeyboard(x); }

  // Every window of the program once its tray icon has docked.
  std::vector<unsigned long> windowsOf(const RunningProgram& program) {
    if (!eventually([&] { return screen.trayIcon().has_value(); })) {
      return {};
    }
    return forger.windowsOfProcess(program.pid());
  }
  // Whether `happened` comes true within half a second: far longer than the
  // program takes to act on an event it accepts.
  static bool within(const std::function<bool()>& happened) { return eventually(happened, 0.5); }

  XTestClient x;
  ForgingClient forger;
  Screen screen{x};
};

TEST_F(ForgedEvents, AForgedGroupSwitchIsNeitherLoggedNorShownAndARealOneStillIs) {
  RunningProgram program("forged-switch");
  ASSERT_TRUE(program.started()) << program.log();
  const auto windows = windowsOf(program);
  ASSERT_FALSE(windows.empty()) << program.log();
  ASSERT_TRUE(forger.forgeGroupSwitch(windows, 1));
  EXPECT_FALSE(within([&] { return program.linesWith(kChange) > 0 || screen.hud() != 0; }))
      << "the HUD shows \"" << screen.hudText() << "\"\n"
      << program.log();

  x.lockGroup(1);
  ASSERT_TRUE(program.waitForLog(kChange + ": " + kEnglish + " → " + kKorean + "\n"))
      << program.log();
  EXPECT_TRUE(eventually([&] { return screen.hudText() == kKorean; }))
      << "the HUD shows \"" << screen.hudText() << "\"";
  // Time for a second line, which must not come.
  pause(0.3);
  EXPECT_EQ(program.linesWith(kChange), 1) << program.log();
}

TEST_F(ForgedEvents, AForgedDepartureOfTheTrayHostOrTheCompositorChangesNothing) {
  if (!x.selectionOwned("_NET_WM_CM_S0")) {
    Child compositor({"xcompmgr"});
    ASSERT_TRUE(eventually([&] { return x.selectionOwned("_NET_WM_CM_S0"); }));
    compositor.detach();
  }
  RunningProgram program("forged-departure");
  ASSERT_TRUE(program.started()) << program.log();
  ASSERT_FALSE(windowsOf(program).empty()) << program.log();
  // The panel is made at the first change; it follows the compositor from then.
  x.lockGroup(1);
  ASSERT_TRUE(eventually([&] { return screen.hudText() == kKorean; }));
  ASSERT_TRUE(eventually([&] { return screen.hud() == 0; }, 5.0));

  const auto windows = forger.windowsOfProcess(program.pid());
  ASSERT_FALSE(windows.empty());
  ASSERT_TRUE(forger.forgeSelectionGone(windows, "_NET_SYSTEM_TRAY_S0"));
  ASSERT_TRUE(forger.forgeSelectionGone(windows, "_NET_WM_CM_S0"));
  EXPECT_FALSE(within([&] { return program.linesWith("no system tray") > 0; })) << program.log();

  // With the compositor still there, the panel is a plain rectangle that the
  // compositor blends at the corners; cut corners would say it believed the forgery.
  x.lockGroup(0);
  ASSERT_TRUE(eventually([&] { return screen.hudText() == kEnglish; }));
  EXPECT_TRUE(eventually([&] {
    const auto state = x.window(screen.hud());
    return state && state->boundingRectangles == 1;
  }));
  EXPECT_TRUE(x.selectionOwned("_NET_SYSTEM_TRAY_S0"));
  EXPECT_EQ(program.linesWith("no system tray"), 0) << program.log();
}

}  // namespace
}  // namespace vellicor::e2e
