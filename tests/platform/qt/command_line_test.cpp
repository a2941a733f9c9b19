#include "platform/qt/command_line.h"

#include <gtest/gtest.h>

namespace vellicor::qt {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, HelpAndVersionComeFirstWhateverElseIsGiven) {
  EXPECT_EQ(parseCommandLine({}).action, Action::Run);
  EXPECT_EQ(parseCommandLine({"--help"}).action, Action::Help);
  EXPECT_EQ(parseCommandLine({"-h"}).action, Action::Help);
  EXPECT_EQ(parseCommandLine({"--version"}).action, Action::Version);
  EXPECT_EQ(parseCommandLine({"-display", ":3", "--version"}).action, Action::Version);
  EXPECT_NE(usageText().find("-display NAME"), std::string::npos);
}

TEST(CommandLine, TheDisplayIsTakenAsXProgramsTakeIt) {
  EXPECT_EQ(parseCommandLine({"-display", ":3"}).display, ":3");
  EXPECT_EQ(parseCommandLine({"--display", "unix:3.0"}).display, "unix:3.0");
  EXPECT_EQ(parseCommandLine({}).display, "");
}

TEST(CommandLine, AnythingElseIsAnErrorThatSaysWhat) {
  const auto unknown = parseCommandLine({"--verison"});
  EXPECT_EQ(unknown.action, Action::Error);
  EXPECT_EQ(unknown.error, "unknown option --verison");
  const auto missing = parseCommandLine({"-display"});
  EXPECT_EQ(missing.action, Action::Error);
  EXPECT_NE(missing.error.find("needs the name of a display"), std::string::npos);
  EXPECT_EQ(parseCommandLine({"-display", ""}).action, Action::Error);
  EXPECT_EQ(parseCommandLine({"-display", ":1", "extra"}).action, Action::Error);
}

}  // namespace
}  // namespace vellicor::qt
