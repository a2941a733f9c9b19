// The vellicor executable itself, started as a user would start it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include "running_program.h"
#include "scratch.h"
#include "startup_listener.h"

namespace vellicor::e2e {
namespace {

std::string errPath(const std::string& name) {
  return scratchPath(name + ".err");
}

TEST(Program, WithoutADisplayItSaysSoAndFails) {
  const std::string err = errPath("nodisplay");
  Child child({"env", "-u", "DISPLAY", programPath()}, err);
  EXPECT_EQ(child.wait(10), 2);
  EXPECT_NE(readFile(err).find("DISPLAY is not set"), std::string::npos) << readFile(err);
  // A packaged program has no scripts beside it to suggest.
  EXPECT_EQ(readFile(err).find("tools/"), std::string::npos) << readFile(err);

  // A Wayland session without XWayland says what is missing, with a status of its own.
  const std::string wayland = errPath("noxwayland");
  Child noXWayland({"env", "-u", "DISPLAY", "WAYLAND_DISPLAY=wayland-9", programPath()}, wayland);
  EXPECT_EQ(noXWayland.wait(10), 4);
  EXPECT_NE(readFile(wayland).find("runs no XWayland"), std::string::npos) << readFile(wayland);

  const std::string bad = errPath("baddisplay");
  Child unreachable({"env", "DISPLAY=:97", programPath()}, bad);
  EXPECT_EQ(unreachable.wait(10), 2);
  EXPECT_NE(readFile(bad).find("cannot open X display \":97\""), std::string::npos)
      << readFile(bad);
}

// Started by a launcher that shows a busy cursor until the program is up, it
// tells the launcher once it is, though it shows no window.
TEST(Program, StartedByALauncherItSaysWhenItIsUp) {
  XTestClient x;
  ASSERT_TRUE(x.connected());
  ensureTrayHost(x);
  StartupListener launcher;
  ASSERT_TRUE(launcher.connected());
  const std::string id = "vellicor-e2e-" + std::to_string(getpid()) + "_TIME1 \"quoted\"";
  RunningProgram program("launched", {"DESKTOP_STARTUP_ID=" + id});
  ASSERT_TRUE(program.started()) << program.log();
  EXPECT_EQ(launcher.next(5.0),
            "remove: ID=\"vellicor-e2e-" + std::to_string(getpid()) + "_TIME1 \\\"quoted\\\"\"");
  program.signal(SIGTERM);
  EXPECT_EQ(program.wait(5), 0);
}

TEST(Program, HelpAndVersionPrintAndExitWithoutStarting) {
  for (const std::string option : {"--help", "--version"}) {
    const std::string out = commandOutput(programPath() + " " + option + " 2>&1; echo status=$?");
    EXPECT_NE(out.find("status=0"), std::string::npos) << option << ": " << out;
    EXPECT_EQ(out.find("Vellicor 앱 시작"), std::string::npos) << option << ": " << out;
    EXPECT_NE(out.find(option == "--help" ? "Usage: vellicor" : "vellicor 0."), std::string::npos)
        << out;
  }
  const std::string wrong = commandOutput(programPath() + " --verison 2>&1; echo status=$?");
  EXPECT_NE(wrong.find("unknown option --verison"), std::string::npos) << wrong;
  EXPECT_NE(wrong.find("status=2"), std::string::npos) << wrong;
}

TEST(Program, LogsSwitchesAndEndsCleanlyOnTerminate) {
  XTestClient x;
  ASSERT_TRUE(x.connected());
  resetKeyboard(x);
  ensureTrayHost(x);
  RunningProgram program("run");
  ASSERT_TRUE(program.waitForLog("Vellicor 앱 시작. 현재: " + kEnglish)) << program.log();
  // No HUD at start-up: it flashes for changes only.
  pause(0.3);
  EXPECT_EQ(Screen(x).hud(), 0u);
  x.lockGroup(1);
  ASSERT_TRUE(program.waitForLog("입력 언어 변경: " + kEnglish + " → " + kKorean));
  // Each line carries a timestamp and the process name and id.
  EXPECT_EQ(program.linesWith(" vellicor[" + std::to_string(program.pid()) + "] "),
            static_cast<int>(program.logLines().size()))
      << program.log();
  EXPECT_EQ(program.linesWith("입력 언어 변경: "), 1) << program.log();
  program.signal(SIGTERM);
  EXPECT_EQ(program.wait(10), 0);
  EXPECT_TRUE(x.viewableWindowsOf("vellicor").empty());
  resetKeyboard(x);
}

TEST(Program, WithoutATrayTheLogSaysSoTheHUDWorksAndTheIconDocksWhenOneAppears) {
  XTestClient x;
  ASSERT_TRUE(x.connected());
  resetKeyboard(x);
  const Screen screen(x);
  x.endSelectionOwner("_NET_SYSTEM_TRAY_S0");
  ASSERT_TRUE(eventually([&] { return !x.selectionOwned("_NET_SYSTEM_TRAY_S0"); }));
  RunningProgram program("notray");
  ASSERT_TRUE(program.started()) << program.log();
  EXPECT_EQ(program.linesWith("no system tray"), 1) << program.log();
  EXPECT_FALSE(screen.trayIcon().has_value());
  x.lockGroup(1);
  EXPECT_TRUE(eventually([&] { return screen.hudText() == kKorean; }));

  ensureTrayHost(x);
  EXPECT_TRUE(program.waitForLog("system tray found"));
  EXPECT_TRUE(eventually([&] { return screen.trayIcon().has_value(); }));
  EXPECT_EQ(program.linesWith("no system tray"), 1);
  program.signal(SIGTERM);
  EXPECT_EQ(program.wait(10), 0);
  resetKeyboard(x);
}

// Killed with the server, the program says so and exits 1, never ends by a
// signal (a write to the dead connection once raised SIGPIPE): several kills
// at different moments, since what the program is doing then is a matter of
// timing.
TEST(Program, ExitsWithAnErrorWhenTheXServerGoesAway) {
  for (int round = 0; round < 4; ++round) {
    int n = 70;
    while (access(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), F_OK) == 0) {
      ++n;
    }
    // Appended rather than concatenated: GCC 12 at -O3 warns falsely (-Wrestrict)
    // about `":" + std::to_string(n)`.
    std::string display = ":";
    display += std::to_string(n);
    Child server(
        {"Xtigervnc", display, "-geometry", "800x600", "-SecurityTypes", "None", "-rfbport", "0"});
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
    for (int i = 0; i < 200 && access(socket.c_str(), F_OK) != 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    const std::string err = errPath("servergone");
    Child child({"env", "DISPLAY=" + display, programPath()}, err);
    ASSERT_TRUE(eventually(
        [&] { return readFile(err).find("Vellicor 앱 시작.") != std::string::npos; }, 10))
        << readFile(err);
    pause(0.05 * round);
    server.signal(SIGKILL);
    const auto status = child.wait(10);
    ASSERT_TRUE(status.has_value()) << "still running after the X server died";
    EXPECT_EQ(*status, 1) << readFile(err);
    EXPECT_NE(readFile(err).find("X11 connection"), std::string::npos) << readFile(err);
    server.wait(5);
  }
}

}  // namespace
}  // namespace vellicor::e2e
