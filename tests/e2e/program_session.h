#pragma once

#include <gtest/gtest.h>

#include <csignal>

#include "running_program.h"
#include "x_test_client.h"

namespace vellicor::e2e {

// What the suites that start the vellicor executable share: tools/x-session's
// keyboard at its first group, a tray host, and the program's end as a
// session ends it.
class ProgramSession : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x.connected());
    resetKeyboard(x);
    ensureTrayHost(x);
  }
  // SIGTERM, as a session's end sends it: obeyed within 5 s, with status 0.
  static void expectQuitOnTerminate(RunningProgram& program) {
    program.signal(SIGTERM);
    EXPECT_EQ(program.wait(5), 0) << "SIGTERM not obeyed";
  }

  XTestClient x;
};

}  // namespace vellicor::e2e
