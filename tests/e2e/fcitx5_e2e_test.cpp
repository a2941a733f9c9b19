// The program following Fcitx5 on a real desktop, under tools/x-session and
// dbus-run-session: Fcitx5 (with its Hangul input method and GTK front end)
// starts after the program, switches with fcitx5-remote in a focused entry, is
// killed and started again, with and without a desktop's StatusNotifierWatcher
// (a stand-in), and once as a stand-in that breaks.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "launched_session.h"
#include "running_program.h"
#include "scratch.h"

namespace vellicor::e2e {
namespace {

const std::string kHangul = "한글";
const std::string kKeyboardUS = "Keyboard - English (US)";

// A group with the US keyboard and Hangul, Hangul the input method it turns on.
const char kProfile[] = R"([Groups/0]
Name=Default
Default Layout=us
DefaultIM=hangul

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=hangul
Layout=

[GroupOrder]
0=Default
)";

bool onBus(const char* service) {
  return QDBusConnection::sessionBus().interface()->isServiceRegistered(
      QString::fromLatin1(service));
}

// Whether Fcitx5 has put up its tray item with the stand-in watcher: from then
// on its item's signal brings each switch.
bool watcherHoldsAnItem() {
  QDBusMessage get = QDBusMessage::createMethodCall(
      QStringLiteral("org.kde.StatusNotifierWatcher"), QStringLiteral("/StatusNotifierWatcher"),
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << QStringLiteral("org.kde.StatusNotifierWatcher")
      << QStringLiteral("RegisteredStatusNotifierItems");
  const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 2000);
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
         !reply.arguments().front().value<QDBusVariant>().variant().toStringList().isEmpty();
}

// Whether Fcitx5 has an input context in focus: only then does fcitx5-remote
// switch the field's input method rather than nothing. A Fcitx5 started again
// gets the field's context a moment after the field is focused.
bool fcitx5HasAFocusedField() {
  const QDBusMessage state = QDBusConnection::sessionBus().call(
      QDBusMessage::createMethodCall(
          QStringLiteral("org.fcitx.Fcitx5"), QStringLiteral("/controller"),
          QStringLiteral("org.fcitx.Fcitx.Controller1"), QStringLiteral("State")),
      QDBus::Block, 2000);
  return state.type() == QDBusMessage::ReplyMessage && !state.arguments().isEmpty() &&
         state.arguments().front().toInt() > 0;
}

// The voluntary context switches of a process's main thread: its wakeups.
long wakeups(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
      return std::stol(line.substr(line.find(':') + 1));
    }
  }
  return -1;
}

class Fcitx5Session : public LaunchedSession {
 protected:
  // The program first, sharing its configuration folder with Fcitx5, which
  // writes IBus's address file there for its IBus front end.
  static void SetUpTestSuite() {
    config = scratchPath("fcitx5-config");
    run({"mkdir", "-p", config + "/fcitx5"});
    std::ofstream(config + "/fcitx5/profile") << kProfile;
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    launchProgram();
  }

  static void TearDownTestSuite() {
    entry.reset();
    fcitx5.reset();
    std::filesystem::remove_all(config);
  }

  void SetUp() override {
    resetKeyboard(*x);
    if (!fcitx5 || fcitx5->wait(0)) {
      ASSERT_TRUE(startFcitx5());
    }
    ASSERT_TRUE(focusEntry());
    startOn(kKeyboardUS, [] { run({"fcitx5-remote", "-c"}); });
  }
  void TearDown() override { watcher.reset(); }

  static bool startFcitx5() {
    fcitx5.reset();
    if (std::system("command -v fcitx5 >/dev/null") != 0) {
      return false;
    }
    fcitx5 = std::make_unique<Child>(
        std::vector<std::string>{"env", "XDG_CONFIG_HOME=" + config, "fcitx5", "--verbose=*=0"},
        scratchPath("fcitx5.err"));
    return pumpUntil([] { return onBus("org.fcitx.Fcitx5"); }, 10.0);
  }
  // A GTK entry that types through Fcitx5, focused as a user clicks into it.
  static bool focusEntry() {
    if (!entry || entry->wait(0)) {
      entry = std::make_unique<Child>(std::vector<std::string>{
          "env", "GTK_IM_MODULE=fcitx", "zenity", "--entry", "--text", "Vellicor"});
    }
    if (!pumpUntil([] { return (entryWindow = x->applicationWindow("zenity")) != 0; }, 10.0)) {
      return false;
    }
    x->focus(entryWindow);
    return pumpUntil(fcitx5HasAFocusedField, 10.0);
  }
  static void switches() {
    run({"fcitx5-remote", "-s", "hangul"});
    expectAnnounced(kKeyboardUS, kHangul, "한", 1);
    run({"fcitx5-remote", "-c"});
    expectAnnounced(kHangul, kKeyboardUS, "A", 2);
    // Fcitx5's own trigger key, pressed in the field.
    x->pressKeys({"Control_L", "space"});
    expectAnnounced(kKeyboardUS, kHangul, "한", 3);
  }

  static inline std::string config;
  static inline std::unique_ptr<Child> fcitx5;
  static inline std::unique_ptr<Child> entry;
  static inline unsigned long entryWindow = 0;
  std::unique_ptr<Child> watcher;
};

TEST_F(Fcitx5Session, SwitchesAreAnnouncedOnceWithoutATrayWatcher) {
  ASSERT_FALSE(onBus("org.kde.StatusNotifierWatcher"));
  switches();
}

TEST_F(Fcitx5Session, WithATrayWatcherFcitx5sItemBringsEachSwitch) {
  watcher = std::make_unique<Child>(std::vector<std::string>{standIn(), "watcher"});
  ASSERT_TRUE(pumpUntil(watcherHoldsAnItem));
  switches();
}

TEST_F(Fcitx5Session, TheProgramAsksOnItsOwnOnlyWhileNoWatcherCanTellIt) {
  RunningProgram child("fcitx5-idle");
  ASSERT_TRUE(child.started()) << child.log();
  pumpFor(0.5);
  long before = wakeups(child.pid());
  pumpFor(2.0);
  const long asking = wakeups(child.pid()) - before;
  EXPECT_GE(asking, 6) << "four questions a second without a watcher";

  watcher = std::make_unique<Child>(std::vector<std::string>{standIn(), "watcher"});
  ASSERT_TRUE(pumpUntil(watcherHoldsAnItem));
  pumpFor(0.5);
  before = wakeups(child.pid());
  pumpFor(2.0);
  const long idle = wakeups(child.pid()) - before;
  // Asking would be eight or more; a root-window property another client sets may be one.
  EXPECT_LE(idle, 2) << "the program woke while nothing changed";
  // Switches still reach it, through Fcitx5's item.
  run({"fcitx5-remote", "-s", "hangul"});
  EXPECT_TRUE(child.waitForLog("→ " + kHangul + "\n", 3.0)) << child.log();
  run({"fcitx5-remote", "-c"});
}

TEST_F(Fcitx5Session, AFocusChangeThatKeepsTheInputMethodGivesNothing) {
  run({"fcitx5-remote", "-s", "hangul"});
  expectAnnounced(kKeyboardUS, kHangul, "한", 1);
  x->focus(x->rootWindow());
  pumpFor(0.6);
  x->focus(entryWindow);
  pumpFor(0.6);
  EXPECT_EQ(changeLines(), 1) << program->log().substr(logMark);
  EXPECT_EQ(program->currentName(), kHangul);
}

TEST_F(Fcitx5Session, KilledTheKeyboardGroupSpeaksAndStartedAgainFcitx5Does) {
  run({"fcitx5-remote", "-s", "hangul"});
  ASSERT_TRUE(nameIs(kHangul));
  fcitx5->signal(SIGKILL);
  fcitx5->wait(5);
  // After the grace a restarting framework is given.
  EXPECT_TRUE(nameIs(kEnglish, 10.0)) << program->currentName();
  ASSERT_TRUE(startFcitx5());
  ASSERT_TRUE(focusEntry());
  run({"fcitx5-remote", "-s", "hangul"});
  EXPECT_TRUE(nameIs(kHangul)) << program->currentName();
  EXPECT_EQ(program->item()->title(), "한");
}

// Fcitx5 started again, naming what it named before: no switch, no panel.
TEST_F(Fcitx5Session, ARestartThatKeepsTheInputMethodIsNoSwitch) {
  fcitx5->signal(SIGTERM);
  fcitx5->wait(5);
  ASSERT_TRUE(startFcitx5());
  ASSERT_TRUE(focusEntry());
  pumpFor(1.0);
  EXPECT_EQ(program->currentName(), kKeyboardUS);
  EXPECT_EQ(changeLines(), 0) << program->log().substr(logMark);
  EXPECT_FALSE(program->hudViewable(*x));
}

// Started while Fcitx5 runs, the program starts with Fcitx5's input method:
// it announces no change for what it saw before Fcitx5 answered.
TEST_F(Fcitx5Session, StartedWhileFcitx5RunsItStartsWithItsInputMethod) {
  RunningProgram started("fcitx5-running");
  ASSERT_TRUE(started.started()) << started.log();
  EXPECT_NE(started.log().find("현재: " + kKeyboardUS + "\n"), std::string::npos) << started.log();
  pumpFor(1.0);
  EXPECT_EQ(started.linesWith("입력 언어 변경"), 0) << started.log();
}

TEST_F(Fcitx5Session, ErrorsAndAVanishingFcitx5LeaveTheLastGoodSource) {
  fcitx5->signal(SIGTERM);
  fcitx5->wait(5);
  ASSERT_TRUE(nameIs(kEnglish, 10.0));
  Child broken({standIn(), "fcitx5"});
  ASSERT_TRUE(pumpUntil([] { return onBus("org.fcitx.Fcitx5"); }));
  ASSERT_TRUE(nameIs(kHangul)) << program->currentName();
  broken.signal(SIGUSR1);
  // A keymap change makes the program ask Fcitx5 again: errors now, twice.
  x->lockGroup(1);
  pumpFor(0.5);
  x->lockGroup(0);
  pumpFor(0.5);
  EXPECT_EQ(program->currentName(), kHangul);
  const std::string log = program->log().substr(logMark);
  EXPECT_TRUE(logHas("Fcitx5: could not read")) << log;
  EXPECT_EQ(log.find("Fcitx5: could not read"), log.rfind("Fcitx5: could not read")) << log;
  // The error's text is the stand-in's: it stays on the note's line, escaped.
  EXPECT_TRUE(
      logHas("the stand-in is broken\\n2001-01-01 00:00:00.000 vellicor[1] 입력 언어 "
             "변경: 한글 → forged\\x1b[2J); the last one stands\n"))
      << log;
  EXPECT_EQ(log.find("\n2001-01-01"), std::string::npos) << log;
  EXPECT_EQ(log.find('\x1b'), std::string::npos) << log;

  // Mended, it answers again; broken once more, the trouble is said again.
  broken.signal(SIGUSR1);
  x->lockGroup(1);
  pumpFor(0.5);
  broken.signal(SIGUSR1);
  x->lockGroup(0);
  ASSERT_TRUE(pumpUntil([] {
    const std::string now = program->log().substr(logMark);
    return now.find("Fcitx5: could not read") != now.rfind("Fcitx5: could not read");
  })) << program->log().substr(logMark);
  EXPECT_EQ(program->currentName(), kHangul);
  broken.signal(SIGTERM);
  broken.wait(5);
  EXPECT_TRUE(nameIs(kEnglish, 10.0)) << program->currentName();
}

// An input method whose native name is a million characters long: shown,
// logged and put in the menu as its first 255 and an ellipsis.
TEST_F(Fcitx5Session, AGiantInputMethodNameIsBoundedWhereverItIsShown) {
  fcitx5->signal(SIGTERM);
  fcitx5->wait(5);
  Child standInFcitx5({standIn(), "fcitx5"});
  ASSERT_TRUE(nameIs(kHangul, 10.0)) << program->currentName();
  ASSERT_TRUE(run({"gdbus", "call", "--session", "-d", "org.fcitx.Fcitx5", "-o", "/StandIn", "-m",
                   "org.vellicor.StandIn.SwitchToLongNamed", "1000000"}));
  std::string shown;
  for (int i = 0; i < 255; ++i) {
    shown += "긴";
  }
  shown += "\u2026";
  x->lockGroup(1);  // a keymap change, after which Fcitx5 is asked again
  ASSERT_TRUE(nameIs(shown, 10.0)) << program->currentName().size() << " bytes";
  EXPECT_TRUE(logHas("입력 언어 변경: " + kHangul + " → " + shown + "\n"));
  EXPECT_EQ(program->menuTitles().at(0), "현재 언어: " + shown);
  ASSERT_TRUE(pumpUntil([] { return program->hudViewable(*x); }));
  EXPECT_EQ(program->hud()->labelText(), shown);
  EXPECT_LT(program->log().size() - logMark, 2048u);
  x->lockGroup(0);
  standInFcitx5.signal(SIGTERM);
  standInFcitx5.wait(5);
}

}  // namespace
}  // namespace vellicor::e2e
