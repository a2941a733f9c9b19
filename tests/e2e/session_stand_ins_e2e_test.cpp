// The vellicor executable beside stand-ins for a Wayland session's
// compositor, under tools/x-session and dbus-run-session: a sway IPC socket
// with several keyboards, one that names a layout of megabytes, one left
// behind by a sway that ended, another user's, and a live one kept in the
// environment of a Plasma session.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "fake_sway.h"
#include "program_session.h"
#include "running_program.h"
#include "scratch.h"
#include "support/local_listener.h"

namespace vellicor::e2e {
namespace {

const std::string kTyping = "1:1:AT_Translated_Set_2_keyboard";
const std::string kVirtual = "0:0:virtual_keyboard";
const std::string kPlugged = "1133:49948:Logitech_USB_Keyboard";

std::string keyboards(const std::string& virtualLayout, const std::string& typingLayout) {
  // Appended in place: GCC 12 at -O3 takes a literal added to a temporary
  // string for an overlapping copy (-Wrestrict).
  std::string list = "[";
  list += swayKeyboardJson(kVirtual, virtualLayout);
  list += ", ";
  list += swayKeyboardJson(kTyping, typingLayout);
  list += "]";
  return list;
}

std::string inputEvent(const std::string& change, const std::string& keyboard,
                       const std::string& layout) {
  return R"({"change": ")" + change + R"(", "input": )" + swayKeyboardJson(keyboard, layout) + "}";
}

using StandInSessions = ProgramSession;

// The program follows the keyboard the user types on: not the one a client
// made, nor a keymap given to one just plugged in; a switch made on another
// real keyboard is followed, as that one types now.
TEST_F(StandInSessions, SwayIsFollowedOnTheKeyboardThatTypes) {
  FakeSway sway(scratchPath("typing.sock"), keyboards(kEnglish, kKorean));
  ASSERT_TRUE(sway.listening());
  RunningProgram program("sway-typing", {"SWAYSOCK=" + sway.path(), "-XDG_CURRENT_DESKTOP"});
  ASSERT_TRUE(program.started()) << program.log();
  EXPECT_EQ(program.linesWith("followed through sway's IPC"), 1) << program.log();
  EXPECT_EQ(program.linesWith("Vellicor 앱 시작. 현재: " + kKorean), 1) << program.log();

  sway.sendInputEvent(inputEvent("xkb_keymap", kVirtual, kEnglish));
  sway.sendInputEvent(inputEvent("added", kPlugged, kEnglish));
  sway.sendInputEvent(inputEvent("xkb_keymap", kPlugged, kEnglish));
  sway.sendInputEvent(inputEvent("xkb_layout", kVirtual, kEnglish));
  // The switch on the keyboard that types comes after them, from Korean.
  sway.sendInputEvent(inputEvent("xkb_layout", kTyping, kEnglish));
  ASSERT_TRUE(program.waitForLog("입력 언어 변경: ")) << program.log();
  EXPECT_EQ(program.linesWith("입력 언어 변경: " + kKorean + " → " + kEnglish), 1) << program.log();
  sway.sendInputEvent(inputEvent("xkb_layout", kPlugged, kKorean));
  ASSERT_TRUE(program.waitForLog(kEnglish + " → " + kKorean + "\n")) << program.log();
  EXPECT_EQ(program.linesWith("입력 언어 변경"), 2) << program.log();
  expectQuitOnTerminate(program);
}

// A layout name of two megabytes, under sway's 4 MiB limit: the log, the
// panel and the menu take its first 255 characters and an ellipsis, and the
// program stays as quick as ever.
TEST_F(StandInSessions, AGiantLayoutNameIsBoundedWhereverItIsShown) {
  FakeSway sway(scratchPath("giant.sock"), keyboards(kEnglish, kEnglish));
  ASSERT_TRUE(sway.listening());
  RunningProgram program("sway-giant", {"SWAYSOCK=" + sway.path(), "-XDG_CURRENT_DESKTOP"});
  ASSERT_TRUE(program.started()) << program.log();
  std::string giant;
  for (int i = 0; i < 700000; ++i) {
    giant += "가";
  }
  sway.sendInputEvent(inputEvent("xkb_layout", kTyping, giant));
  std::string shown;
  for (int i = 0; i < 255; ++i) {
    shown += "가";
  }
  shown += "\u2026";
  ASSERT_TRUE(program.waitForLog(kEnglish + " → " + shown + "\n")) << program.log().size();
  const Screen screen(x);
  EXPECT_TRUE(eventually([&] { return screen.hudText() == shown; }));
  EXPECT_LT(program.log().size(), 2048u);
  // The next switch is announced at once.
  sway.sendInputEvent(inputEvent("xkb_layout", kTyping, kKorean));
  EXPECT_TRUE(program.waitForLog(shown + " → " + kKorean + "\n", 2.0)) << program.log().size();
  expectQuitOnTerminate(program);
}

// SWAYSOCK left behind by a sway that ended, or naming another user's socket,
// is passed over and said once; the keyboard's own group speaks.
TEST_F(StandInSessions, AStaleOrForeignSwaySocketIsPassedOverAndSaidOnce) {
  const std::string stale = scratchPath("stale.sock");
  ASSERT_TRUE(qt::makeStaleSocket(stale));
  {
    RunningProgram program("sway-stale", {"SWAYSOCK=" + stale, "-XDG_CURRENT_DESKTOP"});
    ASSERT_TRUE(program.started()) << program.log();
    EXPECT_EQ(program.linesWith("SWAYSOCK: passed over " + stale +
                                ": nothing listens there: the sway that made it has ended"),
              1)
        << program.log();
    EXPECT_EQ(program.linesWith("followed through"), 0) << program.log();
    x.lockGroup(1);
    EXPECT_TRUE(program.waitForLog("입력 언어 변경: " + kEnglish + " → " + kKorean))
        << program.log();
    expectQuitOnTerminate(program);
  }
  std::filesystem::remove(stale);
  if (getuid() != 0) {
    return;  // only root can give a socket to another user
  }
  resetKeyboard(x);
  FakeSway theirs(scratchPath("theirs.sock"), keyboards(kKorean, kKorean));
  ASSERT_TRUE(theirs.listening());
  ASSERT_EQ(chown(theirs.path().c_str(), 65534, 65534), 0);
  RunningProgram program("sway-foreign", {"SWAYSOCK=" + theirs.path(), "-XDG_CURRENT_DESKTOP"});
  ASSERT_TRUE(program.started()) << program.log();
  EXPECT_EQ(
      program.linesWith("SWAYSOCK: passed over " + theirs.path() + ": it belongs to user 65534"), 1)
      << program.log();
  EXPECT_EQ(theirs.clients(), 0);
  expectQuitOnTerminate(program);
}

// In a Plasma session, a live sway's socket kept in the environment (a sway
// of the same user on another seat) is never asked: Plasma's service is the
// session's.
TEST_F(StandInSessions, APlasmaSessionFollowsPlasmaWhateverSwaysockNames) {
  FakeSway sway(scratchPath("kept.sock"), keyboards(kKorean, kKorean));
  ASSERT_TRUE(sway.listening());
  RunningProgram program("sway-in-plasma", {"SWAYSOCK=" + sway.path(), "XDG_CURRENT_DESKTOP=KDE",
                                            "XDG_SESSION_TYPE=wayland"});
  ASSERT_TRUE(program.started()) << program.log();
  EXPECT_EQ(program.linesWith("followed through Plasma's layout service"), 1) << program.log();
  EXPECT_EQ(program.linesWith("SWAYSOCK: passed over " + sway.path() + ": this session is KDE's"),
            1)
      << program.log();
  EXPECT_EQ(program.linesWith("Vellicor 앱 시작. 현재: " + kEnglish), 1) << program.log();
  EXPECT_EQ(sway.clients(), 0);
  expectQuitOnTerminate(program);
}

}  // namespace
}  // namespace vellicor::e2e
