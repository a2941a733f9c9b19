// The program in a GNOME session (tests/e2e/wayland/gnome: GNOME Shell headless,
// two outputs, the first primary, sources us, kr(kr104) and IBus's hangul, and
// ibus-daemon as the shell runs it): started as an X11 client through XWayland
// beside a Wayland window (zenity, on the first output) and an X window (xterm,
// on the second), switched with Super+Space as a user does. It follows GNOME's
// current source whatever window has the focus, IBus's Hangul/Latin toggle
// too, and puts the panel where XWayland's pointer is while it is over an X
// window, else on the primary output. With Vellicor's shell extension enabled
// (the second suite), the shell names the monitor under the pointer itself.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "running_program.h"
#include "wayland_suite.h"

namespace vellicor::e2e {
namespace {

const std::string kHangul = "Hangul";

class GnomeSession : public WaylandSuite {
 protected:
  static void SetUpTestSuite() { startGnome({}); }

  // Starts the shell with `environment` (WaylandRig::start), the Wayland
  // window in the middle of the output at `waylandAt` and the xterm in that
  // of the output at `xtermAt`.
  static void startGnome(const std::vector<std::string>& environment) {
    startSession(
        "gnome",
        [] {
          // A new window opens in the middle of the output under the pointer.
          // The Wayland client logs its protocol, where the keyboard focus
          // shows.
          rig->verb({"pointer", std::to_string(waylandAt), "400"});
          rig->client(
              "waylandwin", "wayland",
              {"env", "WAYLAND_DEBUG=client", "zenity", "--entry", "--title", "waylandwin"});
          eventually(waylandFocused, 20);
          rig->verb({"pointer", std::to_string(xtermAt), "400"});
          rig->client("xtermwin", "x11", {"xterm", "-title", "xtermwin"});
          eventually([] { return xtermOnItsOutput(); }, 20);
        },
        environment);
  }

  // The middles of the outputs the two windows open on.
  static inline int waylandAt = 640;
  static inline int xtermAt = 1920;

  void SetUp() override {
    if (!rig) {
      GTEST_SKIP() << "no GNOME session here: " << whyNot;
    }
    ASSERT_TRUE(waylandShown()) << "zenity never had the focus";
    ASSERT_TRUE(xtermOnItsOutput()) << "xterm is not on its output: " << xtermLeft();
    // IBus runs, as the shell starts it, with the shell's engine.
    ASSERT_NE(rig->inSession("timeout 5 ibus engine").find("xkb:"), std::string::npos)
        << rig->inSession("timeout 5 ibus engine");
    startTest("GNOME's input-source settings");
  }

  // What the last change line says, after its label.
  static std::string lastChange() { return lastChangeIn(log()); }
  // The Wayland window's keyboard focus events, in order: true for each enter,
  // false for each leave.
  static std::vector<bool> waylandFocusEvents() {
    std::istringstream lines(rig->clientLog("waylandwin"));
    std::vector<bool> events;
    for (std::string line; std::getline(lines, line);) {
      // libwayland writes an object as wl_keyboard@ID, from 1.22 on as wl_keyboard#ID.
      if (line.find("wl_keyboard@") == std::string::npos &&
          line.find("wl_keyboard#") == std::string::npos) {
        continue;
      }
      if (line.find(".enter(") != std::string::npos) {
        events.push_back(true);
      } else if (line.find(".leave(") != std::string::npos) {
        events.push_back(false);
      }
    }
    return events;
  }
  // Whether the Wayland window was shown: it had the keyboard once.
  static bool waylandShown() { return !waylandFocusEvents().empty(); }
  static bool waylandFocused() {
    const std::vector<bool> events = waylandFocusEvents();
    return !events.empty() && events.back();
  }
  static bool xtermFocused() {
    return rig->inSession("xdotool getactivewindow getwindowname") == "xtermwin\n";
  }
  // The xterm's left edge on the X screen, -1 while it is not shown.
  static int xtermLeft() {
    const std::string out = rig->inSession(
        "w=$(xdotool search --onlyvisible --name '^xtermwin$' | head -1); [ -n \"$w\" ] && "
        "timeout 5 xwininfo -id \"$w\" | awk '/Absolute upper-left X/ {print $4}'");
    try {
      return std::stoi(out);
    } catch (...) {
      return -1;
    }
  }
  static bool xtermOnItsOutput() {
    const int left = xtermLeft();
    return left >= 0 && (left >= 1280) == (xtermAt >= 1280);
  }
  // Clicks a window, as a user gives it the focus.
  static void focus(const std::string& window) {
    if (window == "waylandwin") {
      ASSERT_TRUE(rig->verb({"pointer", std::to_string(waylandAt), "400", "click"}));
      ASSERT_TRUE(eventually([] { return waylandFocused() && !xtermFocused(); }, 5));
    } else {
      ASSERT_TRUE(rig->verb({"pointer", std::to_string(xtermAt), "400", "click"}));
      ASSERT_TRUE(eventually([] { return xtermFocused() && !waylandFocused(); }, 5));
    }
  }
  // One more change line, from `from` to `to`, and the panel showing `to` on
  // `output` (on either with kAnyOutput); no second line after it.
  static constexpr int kAnyOutput = 0;
  static void expectChange(int expected, const std::string& from, const std::string& to,
                           int output) {
    EXPECT_TRUE(eventually([&] { return changeLines() >= expected; }, 5)) << log();
    EXPECT_EQ(lastChange(), from + " → " + to) << log();
    std::string seen = "none";
    EXPECT_TRUE(eventually(
        [&] {
          const std::string panel = rig->panel();
          if (panel != "none") {
            seen = panel;
          }
          return panel.find("\"" + to + "\" at ") != std::string::npos &&
                 (output == kAnyOutput ||
                  panel.find("output " + std::to_string(output)) != std::string::npos);
        },
        3))
        << "the panel, when last seen: " << seen;
    expectNoSecondAnnouncement(expected);
  }
  static void expectSwitch(int source, const std::string& from, const std::string& to, int output) {
    const int expected = changeLines() + 1;
    ASSERT_TRUE(rig->verb({"switch", std::to_string(source)}));
    expectChange(expected, from, to, output);
  }
  // A switch to the Korean layout and one back, each announced once, on `output`.
  static void expectThereAndBack(int output) {
    expectSwitch(1, kEnglish, kKorean, output);
    expectSwitch(0, kKorean, kEnglish, output);
  }
  static void expectKey(const std::string& key, const std::string& from, const std::string& to,
                        int output) {
    const int expected = changeLines() + 1;
    ASSERT_TRUE(rig->verb({"key", key}));
    expectChange(expected, from, to, output);
  }
  static void setHangulInitialMode(const std::string& mode) {
    rig->inSession("gsettings set org.freedesktop.ibus.engine.hangul initial-input-mode " + mode);
  }
};

// Started while the shell names its second source, the program starts with
// that name: the first change it announces is the switch back that each
// test's set-up makes, from that name.
TEST_F(GnomeSession, TheProgramStartsWithTheShellsSourceAndAnnouncesNoSwitchForIt) {
  expectStartedOnSecondLayout(kKorean, kEnglish);
}

// XWayland's pointer is not where the user is while a Wayland window is under
// it: the panel goes to the primary output.
TEST_F(GnomeSession, ASwitchUnderWaylandFocusIsAnnouncedOnceOnThePrimaryOutput) {
  focus("waylandwin");
  expectThereAndBack(1);
}

TEST_F(GnomeSession, ASwitchUnderXFocusIsAnnouncedOnceWhereThePointerIs) {
  focus("xtermwin");
  expectThereAndBack(2);
}

// Off the xterm, onto the desktop of the second output: XWayland still has the
// pointer where it left the xterm, on the second output, and knows it is over
// no X window there. The panel goes to the primary output.
TEST_F(GnomeSession, AwayFromXWindowsThePanelGoesToThePrimaryOutput) {
  focus("xtermwin");
  ASSERT_TRUE(rig->verb({"pointer", "1400", "720"}));
  const std::string pointer = rig->inSession("xdotool getmouselocation --shell");
  const auto x = pointer.find("X=");
  ASSERT_NE(x, std::string::npos) << pointer;
  ASSERT_GE(std::stoi(pointer.substr(x + 2)), 1280) << pointer;
  expectThereAndBack(1);
}

// XWayland's keyboard group catches up with the shell's source when an X window
// gets the focus: that is no switch.
TEST_F(GnomeSession, FocusChangesAloneAnnounceNothing) {
  focus("waylandwin");
  expectSwitch(1, kEnglish, kKorean, 1);
  ASSERT_TRUE(eventually([] { return rig->panel() == "none"; }, 5)) << rig->panel();
  const int after = changeLines();
  for (const char* window : {"xtermwin", "waylandwin", "xtermwin", "waylandwin"}) {
    focus(window);
    pause(0.5);
    EXPECT_EQ(rig->panel(), "none") << window;
  }
  EXPECT_EQ(changeLines(), after) << log();
}

// IBus stays on its US layout engine through every switch of keyboard layouts,
// yet those are announced; an IBus source is IBus's to name, and
// ibus-hangul's toggle in a text field is announced as well.
TEST_F(GnomeSession, WithIBusRunningLayoutSwitchesAndTheHangulToggleAreAnnounced) {
  setHangulInitialMode("hangul");
  focus("waylandwin");
  expectSwitch(1, kEnglish, kKorean, 1);
  expectSwitch(2, kKorean, kHangul, 1);
  expectKey("Hangul", kHangul, kEnglish, 1);
  expectKey("Hangul", kEnglish, kHangul, 1);
  expectSwitch(1, kHangul, kKorean, 1);
  expectSwitch(0, kKorean, kEnglish, 1);
}

// In Latin mode ibus-hangul types what the US layout types: a switch from US
// to it changes nothing the user types, and the shell and IBus taking their
// steps of that switch in either order announce nothing in between.
TEST_F(GnomeSession, AnIBusEngineInLatinModeIsNamedForWhatItTypes) {
  setHangulInitialMode("latin");
  focus("waylandwin");
  for (int round = 0; round < 3; ++round) {
    const int before = changeLines();
    ASSERT_TRUE(rig->verb({"switch", "2"}));
    ASSERT_TRUE(
        eventually([] { return rig->inSession("timeout 5 ibus engine") == "hangul\n"; }, 5));
    pause(0.8);
    EXPECT_EQ(changeLines(), before) << log();
    EXPECT_EQ(rig->panel(), "none");
    expectSwitch(1, kEnglish, kKorean, 1);
    expectSwitch(0, kKorean, kEnglish, 1);
  }
}

// Without the extension, the log says once how to turn it on.
TEST_F(GnomeSession, TheLogSaysOnceHowToEnableTheShellExtension) {
  const std::string advice = "gnome-extensions enable vellicor@vellicor.app";
  ASSERT_TRUE(eventually([&] { return log().find(advice) != std::string::npos; }, 5)) << log();
  EXPECT_EQ(log().find(advice), log().rfind(advice)) << log();
}

// With Vellicor's shell extension enabled, as the package installs it. The
// Wayland window is on the second output and the xterm on the first, the
// other way round from the suite above, so that the output the shell names
// is never the one the panel would go to without it.
class GnomeExtensionSession : public GnomeSession {
 protected:
  static void SetUpTestSuite() {
    waylandAt = 1920;
    xtermAt = 640;
    const char* extension = std::getenv("VELLICOR_GNOME_EXTENSION");
    ASSERT_NE(extension, nullptr) << "VELLICOR_GNOME_EXTENSION names no extension folder";
    startGnome({std::string("GNOME_EXT=") + extension});
    // The shell enables its extensions as it starts, and a loaded machine may
    // open the windows first: the tests start the program once it answers.
    if (rig && !eventually(extensionAnswers, 20)) {
      ADD_FAILURE() << "the shell's extension did not answer within 20 s";
    }
  }
  static void TearDownTestSuite() {
    GnomeSession::TearDownTestSuite();
    waylandAt = 640;
    xtermAt = 1920;
  }

  void SetUp() override {
    GnomeSession::SetUp();
    if (!rig) {
      return;
    }
    ASSERT_TRUE(eventually([] { return log().find(kLive) != std::string::npos; }, 5)) << log();
  }

  // Whether the shell answers at the extension's object.
  static bool extensionAnswers() {
    return rig->inSession(
                  "timeout 5 gdbus call --session -d org.gnome.Shell -o "
                  "/app/vellicor/Shell -m app.vellicor.Shell1.GetState 2>&1")
               .find("('xkb', ") != std::string::npos;
  }

  static inline const std::string kLive = "come from Vellicor's shell extension";
};

TEST_F(GnomeExtensionSession, TheProgramStartsWithTheShellsSourceAndAnnouncesNoSwitchForIt) {
  expectStartedOnSecondLayout(kKorean, kEnglish);
  EXPECT_EQ(log().find("gnome-extensions enable"), std::string::npos) << log();
}

TEST_F(GnomeExtensionSession, ThePanelGoesToTheOutputOfTheFocusedWindowWhateverItsKind) {
  focus("waylandwin");
  expectThereAndBack(2);
  focus("xtermwin");
  expectThereAndBack(1);
}

// The output is the pointer's, not the focused window's.
TEST_F(GnomeExtensionSession, ThePanelGoesWhereThePointerIsOverAWaylandWindow) {
  focus("xtermwin");
  ASSERT_TRUE(rig->verb({"pointer", "1920", "400"}));
  expectSwitch(1, kEnglish, kKorean, 2);
  expectKey("Super_L+space", kKorean, kEnglish, 2);
}

// Any program of the session can send the extension's signal from its own
// connection: one that names IBus's Hangul is no switch, and the user's next
// switch is announced from English.
TEST_F(GnomeExtensionSession, TheSignalFromAnyOtherConnectionIsNoSwitch) {
  focus("waylandwin");
  ASSERT_EQ(rig->inSession("gdbus emit --session --object-path /app/vellicor/Shell --signal "
                           "app.vellicor.Shell1.SourceChanged \"'ibus'\" \"'hangul'\" 0 0 1280 "
                           "800 1.0 && echo sent"),
            "sent\n");
  expectThereAndBack(2);
}

// Turned off, as on the lock screen, the settings speak as without it (the
// panel then goes where XWayland's pointer says, which over a Wayland window
// is not where the user is); turned on again, the next switch is the shell's
// once more.
TEST_F(GnomeExtensionSession, WhileTheExtensionIsOffTheSettingsSpeakAndItIsTakenBackAfter) {
  focus("waylandwin");
  rig->inSession("gnome-extensions disable vellicor@vellicor.app");
  ASSERT_TRUE(eventually([] { return !extensionAnswers(); }, 5));
  expectSwitch(1, kEnglish, kKorean, kAnyOutput);
  rig->inSession("gnome-extensions enable vellicor@vellicor.app");
  ASSERT_TRUE(eventually(extensionAnswers, 5));
  expectSwitch(0, kKorean, kEnglish, 2);
  expectThereAndBack(2);
}

}  // namespace
}  // namespace vellicor::e2e
