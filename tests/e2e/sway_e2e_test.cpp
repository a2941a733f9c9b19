// The program in a sway session (tests/e2e/wayland/sway): started as an X11
// client through XWayland beside a Wayland window (zenity) and an X window
// (xterm), it follows sway's own layout whatever window has the focus, puts
// the panel on the focused output, and shows its badge in swaybar's tray.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "running_program.h"
#include "wayland_suite.h"

namespace vellicor::e2e {
namespace {

class SwaySession : public WaylandSuite {
 protected:
  static void SetUpTestSuite() {
    startSession("sway", [] {});
    if (!rig) {
      return;
    }
    rig->openTestWindows();
    // Both windows are up once sway can focus them.
    eventually(
        [] {
          return rig->verb({"focus", "waylandwin"}) && rig->verb({"focus", "xtermwin"});
        },
        15);
  }

  void SetUp() override { startTest("sway's IPC"); }

  // A switch gives exactly one more change line, to `to`, and the panel on `output`.
  void expectSwitch(int layout, const std::string& from, const std::string& to, int output) {
    const int expected = changeLines() + 1;
    ASSERT_TRUE(rig->verb({"switch", std::to_string(layout)}));
    EXPECT_TRUE(eventually([&] { return changeLines() >= expected; }, 5)) << log();
    EXPECT_EQ(lastChangeIn(log()), from + " → " + to) << log();
    EXPECT_TRUE(eventually(
        [&] { return rig->panel().find("output " + std::to_string(output)) != std::string::npos; },
        3))
        << rig->panel();
    expectNoSecondAnnouncement(expected);
  }
};

// Started while sway names its second layout, the program starts with that
// name: the first change it announces is the switch back that each test's
// set-up makes, from that name.
TEST_F(SwaySession, TheProgramStartsWithSwaysLayoutAndAnnouncesNoSwitchForIt) {
  expectStartedOnSecondLayout(kKorean, kEnglish);
}

TEST_F(SwaySession, ASwitchUnderWaylandFocusIsAnnouncedOnceOnTheFocusedOutput) {
  ASSERT_TRUE(rig->verb({"focus", "waylandwin", "1500", "200"}));
  pause(0.5);
  expectSwitch(1, kEnglish, kKorean, 2);
  expectSwitch(0, kKorean, kEnglish, 2);
}

TEST_F(SwaySession, ASwitchUnderXFocusIsAnnouncedOnceOnTheFocusedOutput) {
  ASSERT_TRUE(rig->verb({"focus", "xtermwin", "200", "200"}));
  pause(0.5);
  expectSwitch(1, kEnglish, kKorean, 1);
  expectSwitch(0, kKorean, kEnglish, 1);
}

// XWayland's group catches up with sway's layout when an X window gets the
// focus: that is no switch.
TEST_F(SwaySession, FocusChangesAloneAnnounceNothing) {
  ASSERT_TRUE(rig->verb({"focus", "waylandwin", "1500", "200"}));
  pause(0.5);
  expectSwitch(1, kEnglish, kKorean, 2);
  const int after = changeLines();
  for (const char* title : {"xtermwin", "waylandwin", "xtermwin"}) {
    ASSERT_TRUE(rig->verb({"focus", title}));
    pause(0.5);
  }
  EXPECT_EQ(changeLines(), after) << log();
  EXPECT_EQ(rig->panel(), "none");
}

// swaybar's tray holds StatusNotifierItems: the badge is there, and the log
// says a tray was found rather than none.
TEST_F(SwaySession, TheBadgeIsShownInTheBarsTray) {
  EXPECT_EQ(log().find("no system tray"), std::string::npos) << log();
  ASSERT_TRUE(rig->verb({"focus", "waylandwin"}));
  expectSwitch(1, kEnglish, kKorean, 2);
  // The item's tool tip names the source, as the menu's first line does.
  const std::string items = rig->inSession(
      "gdbus call --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher -m "
      "org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher "
      "RegisteredStatusNotifierItems");
  ASSERT_NE(items.find('/'), std::string::npos) << items;
  const auto start = items.find('\'') + 1;
  const std::string item = items.substr(start, items.find('\'', start) - start);
  const std::string service = item.substr(0, item.find('/'));
  const std::string path = item.substr(item.find('/'));
  EXPECT_TRUE(eventually(
      [&] {
        return rig->inSession("gdbus call --session -d " + service + " -o " + path +
                              " -m org.freedesktop.DBus.Properties.Get "
                              "org.kde.StatusNotifierItem ToolTip")
                   .find("'현재 언어: " + kKorean + "'") != std::string::npos;
      },
      3))
      << item;
}

}  // namespace
}  // namespace vellicor::e2e
