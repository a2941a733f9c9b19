// The program as it lives in a desktop session: started again while it runs,
// started after it was killed, and started where no font can show Korean.

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "running_program.h"
#include "scratch.h"

namespace vellicor::e2e {
namespace {

std::string tempPath(const std::string& name) {
  return scratchPath("session-" + name);
}

TEST(Session, ASecondStartIsRefusedWhileTheFirstRunsAndAcceptedOnceItWasKilled) {
  XTestClient x;
  ASSERT_TRUE(x.connected());
  resetKeyboard(x);
  const Screen screen(x);
  RunningProgram first("first");
  ASSERT_TRUE(first.started()) << first.log();
  ASSERT_TRUE(eventually([&] { return screen.trayIcon().has_value(); }));

  const std::string err = tempPath("second.err");
  Child second({programPath()}, err);
  EXPECT_EQ(second.wait(10), 0);
  EXPECT_EQ(readFile(err), "vellicor: already running (pid " + std::to_string(first.pid()) + ")\n");
  // The first runs on, alone: one change, one line, one panel.
  x.lockGroup(1);
  EXPECT_TRUE(eventually([&] { return screen.hudText() == kKorean; }));
  EXPECT_TRUE(first.waitForLog("입력 언어 변경: " + kEnglish + " → " + kKorean));
  EXPECT_EQ(x.viewableWindowsOf("vellicor").size(), 1u);

  // Killed outright, it leaves nothing behind that refuses the next start.
  first.signal(SIGKILL);
  ASSERT_TRUE(first.wait(10).has_value());
  RunningProgram next("next");
  ASSERT_TRUE(next.started()) << next.log();
  EXPECT_TRUE(eventually([&] { return screen.trayIcon().has_value(); }));
  next.signal(SIGTERM);
  EXPECT_EQ(next.wait(10), 0);
  resetKeyboard(x);
}

// However the display is named or the environment set, the second start is
// refused: the display itself says who runs there.
TEST(Session, ASecondStartUnderAnotherNameForTheDisplayIsRefusedToo) {
  XTestClient x;
  ASSERT_TRUE(x.connected());
  resetKeyboard(x);
  RunningProgram first("first-named");
  ASSERT_TRUE(first.started()) << first.log();
  const std::string display = std::getenv("DISPLAY");
  const std::string refused =
      "vellicor: already running (pid " + std::to_string(first.pid()) + ")\n";
  std::vector<std::vector<std::string>> starts = {
      programCommand({"DISPLAY=:97"}, {"-display", display}),
      programCommand({"-XDG_RUNTIME_DIR"}),
  };
  // "unix:N" names the local display to libxcb before 1.17; from 1.17 on,
  // unix is a host like any other, and no X program reaches the display so.
  if (Child({"xdpyinfo", "-display", "unix" + display}).wait(5) == 0) {
    starts.push_back(programCommand({"DISPLAY=unix" + display}));
    starts.push_back(programCommand({"DISPLAY=unix" + display + ".0"}));
  }
  for (const auto& start : starts) {
    const std::string err = tempPath("again.err");
    Child again(start, err);
    EXPECT_EQ(again.wait(10), 0) << start.front() << " " << start.at(1);
    // Qt may add a warning of its own about a missing XDG_RUNTIME_DIR.
    EXPECT_NE(readFile(err).find(refused), std::string::npos) << start.at(1) << readFile(err);
  }
  // One program, one panel.
  x.lockGroup(1);
  EXPECT_TRUE(eventually([&] { return Screen(x).hudText() == kKorean; }));
  EXPECT_TRUE(first.waitForLog("입력 언어 변경: " + kEnglish + " → " + kKorean));
  EXPECT_EQ(x.viewableWindowsOf("vellicor").size(), 1u);
  first.signal(SIGTERM);
  EXPECT_EQ(first.wait(10), 0);
  resetKeyboard(x);
}

TEST(Session, WithoutAFontForKoreanTheLogSaysSoOnceAndTheProgramRuns) {
  XTestClient x;
  ASSERT_TRUE(x.connected());
  resetKeyboard(x);
  // Fonts limited to DejaVu, which has no Hangul.
  const std::string config = tempPath("fonts.conf");
  std::ofstream(config) << "<?xml version=\"1.0\"?><fontconfig>"
                           "<dir>/usr/share/fonts/truetype/dejavu</dir>"
                           "<cachedir>"
                        << tempPath("fontcache") << "</cachedir></fontconfig>\n";
  const std::string err = tempPath("nofont.err");
  Child program({"env", "FONTCONFIG_FILE=" + config, programPath()}, err);
  const auto log = [&] { return readFile(err); };
  ASSERT_TRUE(eventually([&] { return log().find("Vellicor 앱 시작") != std::string::npos; }))
      << log();
  x.lockGroup(1);
  EXPECT_TRUE(eventually([&] { return log().find("입력 언어 변경") != std::string::npos; }));
  const std::string notice = "no font for Korean text: install fonts-nanum";
  EXPECT_NE(log().find(notice), std::string::npos) << log();
  EXPECT_EQ(log().find(notice), log().rfind(notice)) << log();
  program.signal(SIGTERM);
  EXPECT_EQ(program.wait(10), 0);

  // With the machine's own fonts, which cover Hangul, nothing is said.
  RunningProgram usual("fonts");
  ASSERT_TRUE(usual.started()) << usual.log();
  EXPECT_EQ(usual.linesWith("no font for Korean"), 0) << usual.log();
  resetKeyboard(x);
  std::filesystem::remove(config);
  std::filesystem::remove_all(tempPath("fontcache"));
}

}  // namespace
}  // namespace vellicor::e2e
