#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "wayland_rig.h"

namespace vellicor::e2e {

// What the Wayland suites share: one session of the compositor for the whole
// suite, with the program started in it while the compositor names its second
// layout (the user switched before the program started), and before each test
// the first layout back, no panel showing.
class WaylandSuite : public ::testing::Test {
 protected:
  // Starts the session `name` ("sway", "kde", "gnome"), then the program, after
  // `beforeProgram` has run in the session; the suite's tests skip, with the
  // reason, when the compositor cannot run here. `environment` is the start
  // script's (WaylandRig::start).
  template <class Before>
  static void startSession(const std::string& name, const Before& beforeProgram,
                           const std::vector<std::string>& environment = {}) {
    rig = std::make_unique<WaylandRig>(name);
    if (!rig->start(whyNot, environment)) {
      rig.reset();
      return;
    }
    beforeProgram();
    rig->verb({"switch", "1"});
    rig->launchProgram();
  }
  static void TearDownTestSuite() { rig.reset(); }

  // The program runs, its log says it follows the session through
  // `followed`, and the first layout is the source, no panel showing.
  void startTest(const std::string& followed);

  static std::string log() { return rig ? rig->programLog() : std::string(); }
  static int changeLines() { return changeLinesIn(log()); }
  // The change lines are `expected` and stay so: a second announcement would
  // come before the panel leaves.
  static void expectNoSecondAnnouncement(int expected);
  // The start-up line names the compositor's second layout, `second`, and the
  // first change announced is the switch back to `first` that the first
  // test's set-up made.
  static void expectStartedOnSecondLayout(const std::string& second, const std::string& first);

  static inline std::unique_ptr<WaylandRig> rig;
  static inline std::string whyNot;
};

}  // namespace vellicor::e2e
