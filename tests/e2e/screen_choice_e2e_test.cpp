// Which monitor the HUD appears on when the pointer is on a monitor's edge: on
// X the pointer is a pixel, and the HUD goes to the monitor that shows it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "running_program.h"

namespace vellicor::e2e {
namespace {

struct Monitor {
  std::string name;
  Box box;
  bool primary;
};

struct Probe {
  int x, y;
  std::string monitor;  // where the HUD must appear
};

class ScreenChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x.connected());
    resetKeyboard(x);
  }
  // Back to tools/x-session's two monitors side by side.
  void TearDown() override {
    arrange({{"right", {1280, 0, 1440, 900}, true}, {"left", {0, 100, 1280, 800}, false}});
    resetKeyboard(x);
  }

  void arrange(const std::vector<Monitor>& monitors) {
    for (const char* name : {"right", "left", "top", "bottom"}) {
      run({"xrandr", "--delmonitor", name});
    }
    bool first = true;
    for (const auto& m : monitors) {
      const std::string geometry = std::to_string(m.box.width) + "/300x" +
                                   std::to_string(m.box.height) + "/200+" +
                                   std::to_string(m.box.x) + "+" + std::to_string(m.box.y);
      // The first monitor takes the output, the others none, as x-session does.
      ASSERT_TRUE(run({"xrandr", "--setmonitor", (m.primary ? "*" : "") + m.name, geometry,
                       first ? outputName() : "none"}));
      first = false;
    }
  }

  static std::string outputName() {
    std::string name = commandOutput("xrandr | awk '/ connected/ {print $1; exit}'");
    while (!name.empty() && name.back() == '\n') {
      name.pop_back();
    }
    return name;
  }

  // Each probe switches the source with the pointer on its pixel; the HUD must
  // be centred on the probe's monitor.
  void expectProbes(const std::vector<Monitor>& monitors, const std::vector<Probe>& probes) {
    RunningProgram program("screens");
    ASSERT_TRUE(program.started()) << program.log();
    unsigned group = 0;
    for (const auto& probe : probes) {
      const Monitor* expected = nullptr;
      for (const auto& m : monitors) {
        expected = m.name == probe.monitor ? &m : expected;
      }
      ASSERT_NE(expected, nullptr);
      x.movePointer(probe.x, probe.y);
      group = 1 - group;
      x.lockGroup(group);
      const std::string name = group == 1 ? kKorean : kEnglish;
      ASSERT_TRUE(eventually([&] { return screen.hudText() == name; }));
      const auto panel = screen.hudPanel();
      ASSERT_TRUE(panel);
      EXPECT_NEAR(panel->x + panel->width / 2.0, expected->box.x + expected->box.width / 2.0, 1.0)
          << "pointer at (" << probe.x << ", " << probe.y << ") should put the HUD on "
          << probe.monitor;
      EXPECT_NEAR(panel->y + panel->height / 2.0, expected->box.y + expected->box.height / 2.0, 1.0)
          << "pointer at (" << probe.x << ", " << probe.y << ") should put the HUD on "
          << probe.monitor;
    }
  }

  XTestClient x;
  Screen screen{x};
};

TEST_F(ScreenChoice, SideBySideMonitorsOwnEveryPixelOfTheirEdges) {
  // The left monitor is lower and shorter than the primary on its right.
  const std::vector<Monitor> monitors{{"right", {1280, 0, 1440, 900}, true},
                                      {"left", {0, 100, 1280, 800}, false}};
  arrange(monitors);
  expectProbes(monitors, {
                             {0, 100, "left"},      // its first row and column
                             {1279, 100, "left"},   // its first row, last column
                             {0, 899, "left"},      // its last row
                             {1279, 899, "left"},   // beside the primary's last row
                             {640, 100, "left"},    // top row, mid-way
                             {1280, 0, "right"},    // the primary's first column
                             {1280, 500, "right"},  // the shared edge
                             {2719, 899, "right"},  // the primary's last pixel
                             {640, 99, "right"},    // above the left one: none, so the primary
                             {640, 900, "right"},   // below the left one: none, so the primary
                         });
}

TEST_F(ScreenChoice, StackedMonitorsOwnEveryPixelOfTheirEdges) {
  // The lower monitor is the primary, so no edge pixel lands there by default.
  const std::vector<Monitor> monitors{{"bottom", {0, 500, 1360, 500}, true},
                                      {"top", {0, 0, 1360, 500}, false}};
  arrange(monitors);
  expectProbes(monitors, {
                             {0, 0, "top"},      // the top monitor's first row
                             {1359, 0, "top"},   // and its last column
                             {680, 499, "top"},  // its last row, on the shared edge
                             {1359, 499, "top"},
                             {680, 500, "bottom"},  // the bottom monitor's first row
                             {0, 999, "bottom"},    // its last row
                             {1359, 999, "bottom"},
                             {1360, 250, "bottom"},  // right of both: none, so the primary
                         });
}

}  // namespace
}  // namespace vellicor::e2e
