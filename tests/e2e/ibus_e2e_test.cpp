// The program following IBus on a real desktop, under tools/x-session and
// dbus-run-session: the global engine, and ibus-hangul's own Hangul and Latin
// modes toggled as users toggle them (Shift+Space in a focused entry, or the
// mode property activated as a panel does). ibus-daemon starts after the
// program, and comes and goes as the tests need. ibus-hangul switches mode at
// every activation of that property, so each switch is asked for once
// (IBusClient::toggleInputMode).

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <csignal>
#include <memory>
#include <string>

#include "ibus_client.h"
#include "launched_session.h"
#include "scratch.h"

namespace vellicor::e2e {
namespace {

const std::string kHangul = "Hangul";

// Starts ibus-daemon and waits until it answers; null when it cannot start here.
std::unique_ptr<Child> startIBus(std::string& why) {
  auto daemon =
      std::make_unique<Child>(std::vector<std::string>{"ibus-daemon", "--panel=disable", "-r"},
                              scratchPath("ibus-daemon.err"));
  for (int i = 0; i < 100; ++i) {
    if (Child({"ibus", "engine", "xkb:us::eng"}).wait(5) == 0) {
      return daemon;
    }
    if (daemon->wait(0.1)) {
      why = "ibus-daemon exited at start";
      return nullptr;
    }
  }
  why = "ibus-daemon did not answer within 10 s";
  return nullptr;
}

bool selectEngine(const std::string& engine) {
  return Child({"ibus", "engine", engine}).wait(10) == 0;
}

class IBusSession : public LaunchedSession {
 protected:
  // The program first, IBus after it: the program finds the daemon when it comes.
  static void SetUpTestSuite() {
    launchProgram();
    startDaemon();
  }
  // The daemon would outlive the process, and answer the next suite's clients.
  static void TearDownTestSuite() {
    delete daemon;
    daemon = nullptr;
  }
  // A daemon the program follows: the keyboard's group and IBus's US engine
  // name the same, so only a mode of the Hangul engine shows that the program
  // has found the new daemon.
  static void startDaemon() {
    delete daemon;
    daemon = startIBus(whyNot).release();
    if (daemon == nullptr) {
      return;
    }
    IBusClient panel;
    // Toggled until the program names Hangul: the program may find the new
    // daemon only after the first toggles, which switch the engine all the same.
    followed = selectHangul() &&
               pumpUntil([&] { return panel.toggleInputMode(1) && nameIs(kHangul, 1.0); });
  }
  // Each test starts with a daemon running the US keyboard engine.
  void SetUp() override {
    if (daemon == nullptr) {
      GTEST_SKIP() << "IBus cannot run here: " << whyNot;
    }
    if (daemon->wait(0).has_value()) {
      startDaemon();
      ASSERT_NE(daemon, nullptr) << whyNot;
    }
    ASSERT_TRUE(followed) << "the program did not follow the new ibus-daemon";
    startOn(kEnglish, [] { ASSERT_TRUE(selectEngine("xkb:us::eng")); });
  }

  // Selects the Hangul engine and lets the program take the switch in, as it
  // has on a desktop, where a user's first toggle comes long after: this
  // process runs the program only while it pumps, and a mode the engine
  // announces before the program has heard of the new engine is not followed.
  static bool selectHangul() {
    if (!selectEngine("hangul")) {
      return false;
    }
    pumpFor(0.5);
    return true;
  }
  // Switches the engine's mode once, to `state`, and waits until the program
  // names `name`.
  static bool switchMode(IBusClient& panel, unsigned state, const std::string& name) {
    return panel.toggleInputMode(state) && nameIs(name);
  }
  static inline std::string whyNot;
  static inline Child* daemon = nullptr;
  static inline bool followed = false;
};

TEST_F(IBusSession, TheHangulEnginesModeIsTheSourceAndEachToggleIsAnnouncedOnce) {
  // A new Hangul engine starts in Latin mode (ibus-hangul's initial-input-mode):
  // the user still types English, so nothing changes.
  ASSERT_TRUE(selectHangul());
  EXPECT_EQ(program->currentName(), kEnglish);
  EXPECT_EQ(changeLines(), 0);

  IBusClient panel;
  ASSERT_TRUE(panel.connected());
  ASSERT_TRUE(switchMode(panel, 1, kHangul));
  expectAnnounced(kEnglish, kHangul, "한", 1);
  ASSERT_TRUE(switchMode(panel, 0, kEnglish));
  expectAnnounced(kHangul, kEnglish, "A", 2);
}

TEST_F(IBusSession, ShiftSpaceInAFocusedEntryTogglesHangulAndLatin) {
  ASSERT_TRUE(selectEngine("hangul"));
  Child entry({"env", "GTK_IM_MODULE=ibus", "zenity", "--entry", "--text", "Vellicor"});
  unsigned long window = 0;
  ASSERT_TRUE(pumpUntil([&] { return (window = x->applicationWindow("zenity")) != 0; }, 10.0))
      << "no entry window";
  x->focus(window);
  pumpFor(0.5);
  x->pressKeys({"Shift_L", "space"});
  expectAnnounced(kEnglish, kHangul, "한", 1);
  x->pressKeys({"Shift_L", "space"});
  expectAnnounced(kHangul, kEnglish, "A", 2);

  // Focus leaves and comes back: the engine says its mode again, unchanged.
  x->focus(x->rootWindow());
  pumpFor(0.3);
  x->focus(window);
  pumpFor(0.5);
  EXPECT_EQ(changeLines(), 2);
}

TEST_F(IBusSession, ModesFromOtherConnectionsAndBrokenPropertiesChangeNothing) {
  ASSERT_TRUE(selectHangul());
  IBusClient panel;
  ASSERT_TRUE(switchMode(panel, 1, kHangul));

  IBusClient stranger;
  ASSERT_TRUE(stranger.connected());
  // A well-formed InputMode property in Latin mode, from a connection that
  // does not serve the engine.
  QDBusArgument text;
  text.beginStructure();
  text << QStringLiteral("IBusText") << QVariantMap() << QStringLiteral("EN")
       << QDBusVariant(QStringLiteral("no attributes"));
  text.endStructure();
  QDBusArgument property;
  property.beginStructure();
  property << QStringLiteral("IBusProperty") << QVariantMap() << QStringLiteral("InputMode") << 1u
           << QDBusVariant(QVariant::fromValue(text)) << QString()
           << QDBusVariant(QVariant::fromValue(text)) << true << true << 0u
           << QDBusVariant(QStringLiteral("no sub-properties"))
           << QDBusVariant(QVariant::fromValue(text));
  property.endStructure();
  stranger.sendUpdateProperty(QVariant::fromValue(property));
  stranger.sendUpdateProperty(QVariant::fromValue(property));
  // Properties of the wrong shape.
  stranger.sendUpdateProperty(QStringLiteral("not a property"));
  stranger.sendUpdateProperty(42u);
  ASSERT_TRUE(pumpUntil([] { return logHas("IBus: ignored an input mode from "); }))
      << program->log();
  pumpFor(0.3);
  EXPECT_EQ(program->currentName(), kHangul);
  EXPECT_EQ(changeLines(), 1);
  // Said once, however often it comes.
  const std::string log = program->log();
  EXPECT_EQ(log.find("IBus: ignored"), log.rfind("IBus: ignored"));

  // The engine's own toggle still counts.
  ASSERT_TRUE(switchMode(panel, 0, kEnglish));
  expectAnnounced(kHangul, kEnglish, "A", 2);
}

TEST_F(IBusSession, WithoutIBusTheKeyboardGroupSpeaksAndIBusIsFoundAgain) {
  ASSERT_TRUE(selectHangul());
  {
    IBusClient panel;
    ASSERT_TRUE(switchMode(panel, 1, kHangul));
  }
  daemon->signal(SIGKILL);
  daemon->wait(5);
  // After the grace a restarting framework is given, the keyboard's own group
  // takes over (IBus may have changed the keymap on its way out, so the name
  // can move once more as the keymap settles).
  ASSERT_TRUE(pumpUntil([] { return program->currentName() != kHangul; }, 10.0));
  pumpFor(0.3);
  EXPECT_NE(program->currentName(), kHangul);
  EXPECT_TRUE(logHas("입력 언어 변경: " + kHangul + " → ")) << program->log();

  // A new daemon writes a new address file; the program finds it and follows it.
  delete daemon;
  daemon = startIBus(whyNot).release();
  ASSERT_NE(daemon, nullptr) << whyNot;
  ASSERT_TRUE(selectHangul());
  {
    IBusClient panel;
    EXPECT_TRUE(switchMode(panel, 1, kHangul));
  }
  ASSERT_TRUE(selectEngine("xkb:us::eng"));
  EXPECT_TRUE(nameIs(kEnglish));
  EXPECT_EQ(program->item()->title(), "A");
}

}  // namespace
}  // namespace vellicor::e2e
