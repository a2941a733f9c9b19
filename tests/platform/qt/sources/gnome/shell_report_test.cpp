#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "platform/qt/sources/gnome/shell_report.h"

namespace vellicor::qt {
namespace {

std::optional<ShellReport> report(const std::string& type, const std::string& id, int x, int y,
                                  int width, int height, double scale) {
  std::string why;
  auto read = shellReport(type, id, x, y, width, height, scale, why);
  EXPECT_EQ(read.has_value(), why.empty()) << why;
  return read;
}

TEST(ShellReport, TheShellsOwnValuesAreTakenAsTheyCome) {
  const auto read = report("xkb", "kr+kr104", 1280, 0, 1280, 800, 1.0);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->source, (GnomeSource{"xkb", "kr+kr104"}));
  EXPECT_EQ(read->monitor.area, (OutputRect{1280, 0, 1280, 800}));
  EXPECT_TRUE(report("ibus", "hangul", -1920, -1080, 1920, 1080, 1.25));
}

// Whoever sent them, values no shell sends are dropped, each kind with its
// reason; the monitor's far edge is checked as well as its origin, without
// overflowing.
TEST(ShellReport, ValuesOutOfRangeAreRefused) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();
  const int most = std::numeric_limits<int>::max();
  struct Case {
    std::string type, id;
    int x, y, width, height;
    double scale;
  };
  const std::vector<Case> refused{
      {"fcitx", "hangul", 0, 0, 1280, 800, 1},
      {"xkb", "", 0, 0, 1280, 800, 1},
      {"xkb", std::string(257, 'k'), 0, 0, 1280, 800, 1},
      {"xkb", "us", 0, 0, 0, 800, 1},
      {"xkb", "us", 0, 0, 1280, -800, 1},
      {"xkb", "us", 65000, 0, 1280, 800, 1},
      {"xkb", "us", most, 0, most, 800, 1},
      {"xkb", "us", 0, -70000, 1280, 800, 1},
      {"xkb", "us", 0, 0, 1280, 800, 0},
      {"xkb", "us", 0, 0, 1280, 800, -1},
      {"xkb", "us", 0, 0, 1280, 800, 17},
      {"xkb", "us", 0, 0, 1280, 800, nan},
      {"xkb", "us", 0, 0, 1280, 800, infinity},
  };
  for (const Case& c : refused) {
    std::string why;
    EXPECT_FALSE(shellReport(c.type, c.id, c.x, c.y, c.width, c.height, c.scale, why))
        << c.type << " " << c.id.size() << " " << c.x << "," << c.y << " " << c.width << "x"
        << c.height << " " << c.scale;
    EXPECT_FALSE(why.empty());
  }
}

TEST(ShellReport, TheMonitorIsTheScreenOfItsRectangleLogicalOrScaled) {
  const std::vector<OutputRect> screens{{0, 0, 1280, 800}, {1280, 0, 1280, 800}};
  EXPECT_EQ(screenOfMonitor({{1280, 0, 1280, 800}, 1}, screens), screens[1]);
  // An X server whose screens are in device pixels, the monitors at twice.
  const std::vector<OutputRect> device{{0, 0, 2560, 1600}, {2560, 0, 2560, 1600}};
  EXPECT_EQ(screenOfMonitor({{1280, 0, 1280, 800}, 2}, device), device[1]);
  // None of the screens: not the one that merely holds its middle.
  EXPECT_FALSE(screenOfMonitor({{1300, 10, 640, 400}, 1}, screens));
  EXPECT_FALSE(screenOfMonitor({{0, 0, 1280, 800}, 1}, {}));
}

}  // namespace
}  // namespace vellicor::qt
