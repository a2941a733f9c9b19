#pragma once

#include <gtest/gtest.h>

#include <string>

#include "program_under_test.h"
#include "running_program.h"
#include "x_test_client.h"

namespace vellicor::e2e {

// What the in-process suites share: the program in this process, launched
// once for the process on tools/x-session's keyboard and tray host, its log
// read test by test, and the check that a switch was announced once on every
// channel.
class LaunchedSession : public ::testing::Test {
 protected:
  static void launchProgram() {
    std::string error;
    program = ProgramUnderTest::open(error);
    ASSERT_NE(program, nullptr) << error;
    x = new XTestClient;
    ASSERT_TRUE(x->connected());
    resetKeyboard(*x);
    ensureTrayHost(*x);
    program->launch();
    ASSERT_TRUE(pumpUntil([] { return program->logHas("Vellicor 앱 시작. 현재: "); }));
  }
  // From here on, the log is this test's.
  static void markLog() { logMark = program->log().size(); }
  // A test's start on `name`, after `toIt` (a switch that may change nothing):
  // when it did change the name, the panel it brought is seen up and then
  // gone, so that neither flashes into the test.
  template <typename Action>
  static void startOn(const std::string& name, Action toIt) {
    const bool switching = program->currentName() != name;
    toIt();
    ASSERT_TRUE(nameIs(name)) << program->currentName();
    if (switching) {
      ASSERT_TRUE(pumpUntil([] { return program->hudViewable(*x); }, 3.0));
    }
    ASSERT_TRUE(pumpUntil([] { return !program->hudViewable(*x); }, 3.0));
    markLog();
  }

  static bool nameIs(const std::string& name, double seconds = 5.0) {
    return pumpUntil([&] { return program->currentName() == name; }, seconds);
  }
  static bool logHas(const std::string& text) {
    return program->log().find(text, logMark) != std::string::npos;
  }
  // The change lines since the test began.
  static int changeLines() {
    const std::string log = program->log().substr(logMark);
    int n = 0;
    for (auto at = log.find("입력 언어 변경: "); at != std::string::npos;
         at = log.find("입력 언어 변경: ", at + 1)) {
      ++n;
    }
    return n;
  }
  // One line for the change, the badge and the menu, and the HUD with the name.
  static void expectAnnounced(const std::string& from, const std::string& to,
                              const std::string& badge, int lines) {
    ASSERT_TRUE(nameIs(to)) << program->currentName();
    pumpFor(0.3);  // time for a second, wrong announcement, which must not come
    EXPECT_TRUE(logHas("입력 언어 변경: " + from + " → " + to + "\n")) << program->log();
    EXPECT_EQ(changeLines(), lines) << program->log().substr(logMark);
    EXPECT_EQ(program->item()->title(), badge);
    EXPECT_EQ(program->menuTitles().at(0), "현재 언어: " + to);
    EXPECT_TRUE(program->hudViewable(*x));
    EXPECT_EQ(program->hud()->labelText(), to);
  }

  static inline ProgramUnderTest* program = nullptr;
  static inline XTestClient* x = nullptr;
  static inline std::size_t logMark = 0;
};

}  // namespace vellicor::e2e
