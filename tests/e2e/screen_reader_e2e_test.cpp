// The vellicor executable as a screen-reader user meets it, under
// tools/x-session and dbus-run-session with the desktop's accessibility on:
// Orca running with a voice that writes down what it would say, the program
// started as a user starts it, switches of the keyboard's layout and of
// ibus-hangul's Hangul and Latin modes; a screen reader turned on after the
// program, and off again; and the AT-SPI events each switch sends, as any
// listener sees them.

#include <gtest/gtest.h>

#include <QtGlobal>
#include <string>
#include <vector>

#include "ibus_client.h"
#include "program_session.h"
#include "running_program.h"
#include "screen_reader.h"

namespace vellicor::e2e {
namespace {

const std::string kHangul = "Hangul";

class ScreenReaderSession : public ProgramSession {
 protected:
  void TearDown() override { resetKeyboard(x); }

  // Started, and listed by the AT-SPI registry, where a screen reader finds
  // the application an event comes from.
  static bool startedOnTheAccessibleDesktop(const RunningProgram& program) {
    return program.started() && eventually([&] { return onAccessibleDesktop(program.pid()); });
  }

  // The desktop turns the screen reader on or off, as its settings do.
  static bool screenReaderEnabled(bool enabled) {
    return run({"gdbus", "call", "--session", "--dest", "org.a11y.Bus", "--object-path",
                "/org/a11y/bus", "--method", "org.freedesktop.DBus.Properties.Set",
                "org.a11y.Status", "ScreenReaderEnabled", enabled ? "<true>" : "<false>"});
  }
};

// Each switch is heard once, with the name it switched to; the name the
// program started with is not spoken.
TEST_F(ScreenReaderSession, EachSwitchIsSpokenOnceAndNothingAtTheStart) {
  ASSERT_TRUE(enableAccessibility(true));
  ScreenReader orca;
  std::string why;
  if (!orca.start(why)) {
    GTEST_SKIP() << "Orca cannot run here: " << why;
  }
  RunningProgram program("spoken");
  ASSERT_TRUE(startedOnTheAccessibleDesktop(program)) << program.log();
  x.lockGroup(1);
  ASSERT_TRUE(eventually([&] { return orca.utterancesWith(kKorean) == 1; }))
      << testing::PrintToString(orca.spoken());
  EXPECT_EQ(orca.utterancesWith(kEnglish), 0) << "the name at the start was spoken";
  x.lockGroup(0);
  ASSERT_TRUE(eventually([&] { return orca.utterancesWith(kEnglish) == 1; }))
      << testing::PrintToString(orca.spoken());
  EXPECT_EQ(orca.utterancesWith(kKorean), 1) << testing::PrintToString(orca.spoken());
  expectQuitOnTerminate(program);
}

// ibus-hangul's own toggle, as a panel's 한/EN button makes it, is heard the
// same way: the mode it switches to, once.
TEST_F(ScreenReaderSession, TheHangulTogglesAreSpokenOnceEach) {
  ASSERT_TRUE(enableAccessibility(true));
  ScreenReader orca;
  std::string why;
  if (!orca.start(why)) {
    GTEST_SKIP() << "Orca cannot run here: " << why;
  }
  IBusDaemon ibus("spoken");
  ASSERT_TRUE(ibus.start(why)) << why;
  resetKeyboard(x);
  ASSERT_TRUE(ibus.selectEngine("hangul"));
  RunningProgram program("spoken-hangul", {"IBUS_ADDRESS=" + ibus.address()});
  ASSERT_TRUE(startedOnTheAccessibleDesktop(program)) << program.log();
  IBusClient panel(ibus.address());
  ASSERT_TRUE(panel.toggleInputMode(1));
  ASSERT_TRUE(eventually([&] { return orca.utterancesWith(kHangul) == 1; }))
      << testing::PrintToString(orca.spoken()) << program.log();
  ASSERT_TRUE(panel.toggleInputMode(0));
  ASSERT_TRUE(eventually([&] { return orca.utterancesWith(kEnglish) == 1; }))
      << testing::PrintToString(orca.spoken()) << program.log();
  EXPECT_EQ(orca.utterancesWith(kHangul), 1) << testing::PrintToString(orca.spoken());
  expectQuitOnTerminate(program);
}

// Started before the screen reader, the program is heard from the next
// switch on; once the screen reader is off again it goes on as before.
TEST_F(ScreenReaderSession, AScreenReaderTurnedOnLaterIsHeardFromTheNextSwitchOn) {
  ASSERT_TRUE(enableAccessibility(false));
  ASSERT_TRUE(screenReaderEnabled(false));
  RunningProgram program("later");
  ASSERT_TRUE(program.started()) << program.log();
  ScreenReader orca;
  std::string why;
  ASSERT_TRUE(screenReaderEnabled(true));
  if (!orca.start(why)) {
    GTEST_SKIP() << "Orca cannot run here: " << why;
  }
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
  // This Qt connects to a screen reader only as it starts: the program starts again.
  ASSERT_TRUE(program.waitForLog("a screen reader started")) << program.log();
  EXPECT_TRUE(eventually([&] { return program.linesWith("Vellicor 앱 시작") == 2; }))
      << program.log();
#endif
  x.lockGroup(1);
  EXPECT_TRUE(eventually([&] { return orca.utterancesWith(kKorean) == 1; }))
      << testing::PrintToString(orca.spoken()) << program.log();

  orca.stop();
  ASSERT_TRUE(screenReaderEnabled(false));
  x.lockGroup(0);
  EXPECT_TRUE(program.waitForLog(kKorean + " → " + kEnglish)) << program.log();
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
  EXPECT_EQ(program.linesWith("a screen reader started"), 1) << program.log();
#else
  // This Qt follows the desktop's status itself: the program need not start again.
  EXPECT_EQ(program.linesWith("a screen reader started"), 0) << program.log();
#endif
  EXPECT_EQ(program.log().find("qt.accessibility"), std::string::npos) << program.log();
  expectQuitOnTerminate(program);
}

// What any assistive technology sees of a switch: one event on the panel, a
// notification named for the new source; no window, no focus.
TEST_F(ScreenReaderSession, EachSwitchSendsOneEventFromTheNotificationPanel) {
  ASSERT_TRUE(enableAccessibility(true));
  const EventListener listener;
  ASSERT_TRUE(listener.listening());
  RunningProgram program("events");
  ASSERT_TRUE(startedOnTheAccessibleDesktop(program)) << program.log();
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  // An announcement, which Orca speaks from 45.2 on.
  const auto event = [](const std::string& name) {
    return "object:announcement|2|notification|" + name + "|" + name;
  };
  const std::string otherKind = "object:state-changed:showing|1|notification|";
#else
  // The panel's showing, which Orca speaks for a notification.
  const auto event = [](const std::string& name) {
    return "object:state-changed:showing|1|notification|" + name + "|";
  };
  const std::string otherKind = "object:announcement|";
#endif
  const auto count = [&](const std::string& text) {
    int n = 0;
    for (const std::string& line : listener.events()) {
      n += line.rfind(text, 0) == 0 ? 1 : 0;
    }
    return n;
  };
  x.lockGroup(1);
  ASSERT_TRUE(eventually([&] { return count(event(kKorean)) == 1; }))
      << testing::PrintToString(listener.events());
  x.lockGroup(0);
  ASSERT_TRUE(eventually([&] { return count(event(kEnglish)) == 1; }))
      << testing::PrintToString(listener.events());
  EXPECT_EQ(count(event(kKorean)), 1);
  EXPECT_EQ(count(otherKind), 0) << testing::PrintToString(listener.events());
  EXPECT_EQ(count("window:activate"), 0) << testing::PrintToString(listener.events());
  EXPECT_EQ(count("object:state-changed:focused|1"), 0)
      << testing::PrintToString(listener.events());
  expectQuitOnTerminate(program);
}

}  // namespace
}  // namespace vellicor::e2e
