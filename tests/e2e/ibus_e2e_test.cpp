// The program following IBus's global engine on a real desktop, under
// tools/x-session and dbus-run-session; ibus-daemon and ibus-hangul come and go
// as the tests need them.

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <memory>
#include <string>

#include "program_under_test.h"
#include "x_test_client.h"

namespace vellicor::e2e {
namespace {

// Starts ibus-daemon and waits until it answers; null when it cannot start here.
std::unique_ptr<Child> startIBus(std::string& why) {
  auto daemon =
      std::make_unique<Child>(std::vector<std::string>{"ibus-daemon", "--panel=disable", "-r"},
                              "/tmp/vellicor-ibus-daemon-" + std::to_string(getpid()) + ".err");
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

class IBusSession : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    daemon = startIBus(whyNot).release();
    if (daemon == nullptr) {
      return;
    }
    std::string error;
    program = ProgramUnderTest::open(error);
    ASSERT_NE(program, nullptr) << error;
    x = new XTestClient;
    program->launch();
  }
  // Each test starts with a daemon running the US keyboard engine.
  void SetUp() override {
    if (daemon == nullptr) {
      GTEST_SKIP() << "IBus cannot run here: " << whyNot;
    }
    if (daemon->wait(0).has_value()) {
      delete daemon;
      daemon = startIBus(whyNot).release();
      ASSERT_NE(daemon, nullptr) << whyNot;
    }
    ASSERT_TRUE(selectEngine("xkb:us::eng"));
    ASSERT_TRUE(nameIs("English (US)"));
  }
  static bool nameIs(const std::string& name) {
    return pumpUntil([&] { return program->currentName() == name; });
  }

  static inline std::string whyNot;
  static inline Child* daemon = nullptr;
  static inline ProgramUnderTest* program = nullptr;
  static inline XTestClient* x = nullptr;
};

TEST_F(IBusSession, TheGlobalEngineIsTheSourceAndItsSwitchesAreShown) {
  ASSERT_TRUE(selectEngine("hangul"));
  ASSERT_TRUE(nameIs("Hangul"));
  EXPECT_TRUE(program->logHas("입력 언어 변경: English (US) → Hangul\n"));
  EXPECT_EQ(program->item()->title(), "한");
  EXPECT_EQ(program->menuTitles().at(0), "현재 언어: Hangul");
  EXPECT_TRUE(pumpUntil([] { return program->hudViewable(*x); }));
  EXPECT_EQ(program->hud()->labelText(), "Hangul");
}

TEST_F(IBusSession, WithoutIBusTheKeyboardGroupSpeaksAndIBusIsFoundAgain) {
  ASSERT_TRUE(selectEngine("hangul"));
  ASSERT_TRUE(nameIs("Hangul"));
  daemon->signal(SIGKILL);
  daemon->wait(5);
  // The keyboard's own group takes over (IBus may have changed the keymap on its
  // way out, so the name can move once more as the keymap settles).
  ASSERT_TRUE(pumpUntil([] { return program->currentName() != "Hangul"; }));
  pumpFor(0.3);
  EXPECT_NE(program->currentName(), "Hangul");
  EXPECT_TRUE(program->logHas("입력 언어 변경: Hangul → ")) << program->log();

  // A new daemon writes a new address file; the program finds it and follows it.
  delete daemon;
  daemon = startIBus(whyNot).release();
  ASSERT_NE(daemon, nullptr) << whyNot;
  ASSERT_TRUE(selectEngine("hangul"));
  EXPECT_TRUE(nameIs("Hangul"));
  ASSERT_TRUE(selectEngine("xkb:us::eng"));
  EXPECT_TRUE(nameIs("English (US)"));
  EXPECT_EQ(program->item()->title(), "A");
}

}  // namespace
}  // namespace vellicor::e2e
