// The program in a KWin (Plasma) session (tests/e2e/wayland/kde): started as an
// X11 client through XWayland beside a Wayland window (zenity) and an X window
// (xterm), it follows Plasma's own layout whatever window has the focus,
// whether the layout is switched from Plasma's layout service or with the
// switch key, and puts the panel on the output KWin says is in use, the one
// under the pointer. KWin alone runs no tray: the log says so, and the badge
// shows in an XEmbed tray started on XWayland later.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "running_program.h"
#include "wayland_suite.h"

namespace vellicor::e2e {
namespace {

// Where the tests put the windows (KWin's global coordinates): the X window on
// the left output, the Wayland window on the right one.
constexpr int kXWindowX = 200, kXWindowY = 200;
constexpr int kWaylandWindowX = 1500, kWaylandWindowY = 200;

class KdeSession : public WaylandSuite {
 protected:
  static void SetUpTestSuite() {
    startSession("kde", [] {});
    if (!rig) {
      return;
    }
    rig->openTestWindows();
    // Both windows are up once KWin finds them.
    eventually(
        [] {
          return rig->verb({"focus", "waylandwin", std::to_string(kWaylandWindowX),
                            std::to_string(kWaylandWindowY)}) &&
                 rig->verb(
                     {"focus", "xtermwin", std::to_string(kXWindowX), std::to_string(kXWindowY)});
        },
        15);
  }

  void SetUp() override { startTest("Plasma's layout service"); }

  // A click in the middle of a window the tests placed, as a user gives it the
  // focus; the pointer stays there.
  static bool clickXWindow() {
    return rig->verb(
        {"pointer", std::to_string(kXWindowX + 40), std::to_string(kXWindowY + 40), "click"});
  }
  static bool clickWaylandWindow() {
    return rig->verb({"pointer", std::to_string(kWaylandWindowX + 40),
                      std::to_string(kWaylandWindowY + 40), "click"});
  }
  // The window with the keyboard focus, as KWin reports it to XWayland: an X
  // window's title, or nothing for a Wayland window.
  static std::string xFocus() { return rig->inSession("xdotool getactivewindow getwindowname"); }

  // A switch (`how`: a layout's index, or "key") gives exactly one more change
  // line, from `from` to `to`, and the panel on `output`.
  void expectSwitch(const std::string& how, const std::string& from, const std::string& to,
                    int output) {
    const int expected = changeLines() + 1;
    ASSERT_TRUE(rig->verb({"switch", how}));
    EXPECT_TRUE(eventually([&] { return changeLines() >= expected; }, 5)) << log();
    EXPECT_EQ(lastChangeIn(log()), from + " → " + to) << log();
    const std::string panel = "\"" + to + "\" at ";
    const std::string where = "output " + std::to_string(output);
    EXPECT_TRUE(eventually(
        [&] {
          const std::string shown = rig->panel();
          return shown.find(panel) == 0 && shown.find(where) != std::string::npos;
        },
        3))
        << rig->panel() << "\n"
        << rig->output({"query"});
    expectNoSecondAnnouncement(expected);
  }
};

// Started while KWin names its second layout, the program starts with that
// name: the first change it announces is the switch back that each test's
// set-up makes, from that name.
TEST_F(KdeSession, TheProgramStartsWithKWinsLayoutAndAnnouncesNoSwitchForIt) {
  expectStartedOnSecondLayout(kKorean, kEnglish);
}

TEST_F(KdeSession, ASwitchUnderWaylandFocusIsAnnouncedOnceOnTheOutputInUse) {
  ASSERT_TRUE(clickWaylandWindow());
  ASSERT_TRUE(eventually([] { return xFocus().find("xtermwin") == std::string::npos; }));
  expectSwitch("1", kEnglish, kKorean, 2);
  expectSwitch("0", kKorean, kEnglish, 2);
}

TEST_F(KdeSession, ASwitchUnderXFocusIsAnnouncedOnceOnTheOutputInUse) {
  ASSERT_TRUE(clickXWindow());
  ASSERT_TRUE(eventually([] { return xFocus().find("xtermwin") != std::string::npos; }));
  expectSwitch("1", kEnglish, kKorean, 1);
  expectSwitch("0", kKorean, kEnglish, 1);
}

// XWayland sees the pointer only over X windows: with the X window focused on
// the left output and the pointer gone over the Wayland window on the right
// one, the right output is the one in use.
TEST_F(KdeSession, ThePanelGoesWhereThePointerIsOverAWaylandWindow) {
  ASSERT_TRUE(clickXWindow());
  ASSERT_TRUE(eventually([] { return xFocus().find("xtermwin") != std::string::npos; }));
  ASSERT_TRUE(rig->verb(
      {"pointer", std::to_string(kWaylandWindowX + 40), std::to_string(kWaylandWindowY + 40)}));
  pause(0.3);
  expectSwitch("1", kEnglish, kKorean, 2);
  ASSERT_TRUE(rig->verb({"pointer", std::to_string(kXWindowX + 40), std::to_string(kXWindowY)}));
  pause(0.3);
  expectSwitch("0", kKorean, kEnglish, 1);
}

// The layout-switch key (Alt+Shift) typed into KWin, under either focus.
TEST_F(KdeSession, TheSwitchKeyIsAnnouncedOnceUnderEitherFocus) {
  ASSERT_TRUE(clickWaylandWindow());
  ASSERT_TRUE(eventually([] { return xFocus().find("xtermwin") == std::string::npos; }));
  expectSwitch("key", kEnglish, kKorean, 2);
  ASSERT_TRUE(clickXWindow());
  ASSERT_TRUE(eventually([] { return xFocus().find("xtermwin") != std::string::npos; }));
  expectSwitch("key", kKorean, kEnglish, 1);
}

// XWayland's group catches up with KWin's layout when an X window gets the
// focus: that is no switch.
TEST_F(KdeSession, FocusChangesAloneAnnounceNothing) {
  ASSERT_TRUE(clickWaylandWindow());
  ASSERT_TRUE(eventually([] { return xFocus().find("xtermwin") == std::string::npos; }));
  expectSwitch("1", kEnglish, kKorean, 2);
  ASSERT_TRUE(eventually([] { return rig->panel() == "none"; }, 5)) << rig->panel();
  const int after = changeLines();
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(clickXWindow());
    ASSERT_TRUE(eventually([] { return xFocus().find("xtermwin") != std::string::npos; }));
    pause(0.5);
    ASSERT_TRUE(clickWaylandWindow());
    ASSERT_TRUE(eventually([] { return xFocus().find("xtermwin") == std::string::npos; }));
    pause(0.5);
  }
  EXPECT_EQ(changeLines(), after) << log();
  EXPECT_EQ(rig->panel(), "none");
}

// KWin alone runs no tray (Plasma's comes with its shell, which the session
// here does not run): the log says so, and the panel still shows each switch.
// A tray started later on XWayland holds the badge, which follows the layout
// on the screen.
TEST_F(KdeSession, WithoutATrayTheLogSaysSoAndATrayStartedLaterShowsTheBadge) {
  EXPECT_NE(log().find("no system tray"), std::string::npos) << log();
  ASSERT_TRUE(clickXWindow());
  EXPECT_EQ(rig->inSession("gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus "
                           "-m org.freedesktop.DBus.NameHasOwner org.kde.StatusNotifierWatcher"),
            "(false,)\n");
  setenv("DISPLAY", rig->environment("DISPLAY").c_str(), 1);
  XTestClient x;
  ASSERT_TRUE(x.connected());
  if (!x.selectionOwned("_NET_SYSTEM_TRAY_S0")) {
    ASSERT_TRUE(rig->client(
        "trayer", "x11",
        {"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "24",
         "--transparent", "false", "--tint", "0x303030", "--monitor", "primary"}));
  }
  EXPECT_TRUE(eventually([] { return log().find("system tray found") != std::string::npos; }, 10))
      << log();
  ASSERT_TRUE(eventually([&] { return x.dockedIconOf("vellicor").has_value(); }, 10));
  // The icon's part of the screen as KWin shows it, where the icon is now: its
  // signature once something is drawn there (more than a few colours), else
  // nothing.
  const auto badge = [&] {
    const std::optional<Box> icon = x.dockedIconOf("vellicor");
    if (!icon) {
      return std::string();
    }
    const std::string file = rig->environment("XDG_RUNTIME_DIR") + "/badge.png";
    rig->verb({"shot", file});
    const std::string crop = "convert " + file + " -crop " + std::to_string(icon->width) + "x" +
                             std::to_string(icon->height) + "+" + std::to_string(icon->x) + "+" +
                             std::to_string(icon->y) + " +repage -format ";
    return std::atoi(commandOutput(crop + "%k info:").c_str()) > 4
               ? commandOutput(crop + "%# info:")
               : std::string();
  };
  // The same twice in a row: the tray has laid the icon out and it is drawn.
  const auto settledBadge = [&] {
    const std::string first = badge();
    pause(0.2);
    return !first.empty() && badge() == first ? first : std::string();
  };
  std::string english;
  ASSERT_TRUE(eventually([&] { return !(english = settledBadge()).empty(); }, 5));
  expectSwitch("1", kEnglish, kKorean, 1);
  EXPECT_TRUE(eventually(
      [&] {
        const std::string korean = settledBadge();
        return !korean.empty() && korean != english;
      },
      5));
  expectSwitch("0", kKorean, kEnglish, 1);
  EXPECT_TRUE(eventually([&] { return settledBadge() == english; }, 5));
}

}  // namespace
}  // namespace vellicor::e2e
