#include "wayland_suite.h"

#include "running_program.h"

namespace vellicor::e2e {

void WaylandSuite::startTest(const std::string& followed) {
  if (!rig) {
    GTEST_SKIP() << "no such session here: " << whyNot;
  }
  ASSERT_NE(log().find("Vellicor 앱 시작"), std::string::npos) << log();
  ASSERT_NE(log().find("followed through " + followed), std::string::npos) << log();
  // The program started on the second layout, so the first test's switch
  // back is a change: its line and its panel must have come before the test
  // begins, or "none" below is only the moment before the panel maps.
  const bool firstTest = changeLines() == 0;
  rig->verb({"switch", "0"});
  if (firstTest) {
    ASSERT_TRUE(eventually([] { return changeLines() == 1; }, 5)) << log();
    ASSERT_TRUE(eventually([] { return rig->panel() != "none"; }, 5)) << log();
  }
  ASSERT_TRUE(eventually([] { return rig->panel() == "none"; }, 5)) << rig->panel();
}

void WaylandSuite::expectNoSecondAnnouncement(int expected) {
  EXPECT_TRUE(eventually([] { return rig->panel() == "none"; }, 5)) << rig->panel();
  EXPECT_EQ(changeLines(), expected) << log();
}

void WaylandSuite::expectStartedOnSecondLayout(const std::string& second,
                                               const std::string& first) {
  EXPECT_NE(log().find("Vellicor 앱 시작. 현재: " + second + "\n"), std::string::npos) << log();
  EXPECT_EQ(firstChangeIn(log()), second + " → " + first) << log();
}

}  // namespace vellicor::e2e
