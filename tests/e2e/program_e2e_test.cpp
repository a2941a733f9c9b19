// The vellicor executable itself, started as a user would start it.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include "x_test_client.h"

namespace vellicor::e2e {
namespace {

std::string program() {
  const char* path = std::getenv("VELLICOR_BINARY");
  return path != nullptr ? path : "vellicor";
}

std::string errPath(const std::string& name) {
  return "/tmp/vellicor-" + name + "-" + std::to_string(getpid()) + ".err";
}

bool waitForText(const std::string& path, const std::string& text, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (readFile(path).find(text) == std::string::npos) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

TEST(Program, WithoutADisplayItSaysSoAndFails) {
  const std::string err = errPath("nodisplay");
  Child child({"env", "-u", "DISPLAY", program()}, err);
  EXPECT_EQ(child.wait(10), 2);
  EXPECT_NE(readFile(err).find("DISPLAY is not set"), std::string::npos) << readFile(err);

  const std::string bad = errPath("baddisplay");
  Child unreachable({"env", "DISPLAY=:97", program()}, bad);
  EXPECT_EQ(unreachable.wait(10), 2);
  EXPECT_NE(readFile(bad).find("cannot open X display \":97\""), std::string::npos)
      << readFile(bad);
}

TEST(Program, LogsSwitchesAndEndsCleanlyOnTerminate) {
  XTestClient x;
  ASSERT_TRUE(x.connected());
  x.lockGroup(0);
  const std::string err = errPath("run");
  Child child({program()}, err);
  ASSERT_TRUE(waitForText(err, "Vellicor 앱 시작. 현재: English (US)", 10)) << readFile(err);
  x.lockGroup(1);
  ASSERT_TRUE(
      waitForText(err, "입력 언어 변경: English (US) → Korean (101/104-key compatible)", 5));
  // Each line carries a timestamp and the process name and id.
  EXPECT_NE(readFile(err).find(" vellicor[" + std::to_string(child.pid()) + "] "),
            std::string::npos);
  child.signal(SIGTERM);
  EXPECT_EQ(child.wait(10), 0);
  EXPECT_TRUE(x.viewableWindowsOf("vellicor").empty());
  x.lockGroup(0);
}

TEST(Program, StartedWithoutATrayHostItDocksWhenOneAppears) {
  XTestClient x;
  ASSERT_TRUE(x.connected());
  Child(std::vector<std::string>{"pkill", "-x", "trayer"}).wait(5);
  const std::string err = errPath("notray");
  Child child({program()}, err);
  ASSERT_TRUE(waitForText(err, "Vellicor 앱 시작.", 10)) << readFile(err);
  EXPECT_FALSE(x.dockedWindowOf("vellicor"));
  Child trayer({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height",
                "24", "--monitor", "primary"});
  bool docked = false;
  for (int i = 0; i < 500 && !docked; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    docked = x.dockedWindowOf("vellicor");
  }
  EXPECT_TRUE(docked);
  child.signal(SIGTERM);
  EXPECT_EQ(child.wait(10), 0);
}

TEST(Program, ExitsWithAnErrorWhenTheXServerGoesAway) {
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
  Child child({"env", "DISPLAY=" + display, program()}, err);
  ASSERT_TRUE(waitForText(err, "Vellicor 앱 시작.", 10)) << readFile(err);
  server.signal(SIGKILL);
  const auto status = child.wait(10);
  ASSERT_TRUE(status.has_value()) << "still running after the X server died";
  EXPECT_NE(*status, 0);
  EXPECT_LT(*status, 128) << "ended by a signal, not an exit";
}

}  // namespace
}  // namespace vellicor::e2e
