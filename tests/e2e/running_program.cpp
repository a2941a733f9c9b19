#include "running_program.h"
#include "scratch.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <thread>

namespace vellicor::e2e {
namespace {

// "2026-12-07 09:53:24.157 vellicor[11084] "
const std::regex kTimestamped(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} vellicor\[\d+\] )");

}  // namespace

std::string programPath() {
  const char* path = std::getenv("VELLICOR_BINARY");
  return path != nullptr ? path : "vellicor";
}

std::string standIn() {
  char self[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  const std::string exe(self, n > 0 ? static_cast<size_t>(n) : 0);
  return exe.substr(0, exe.rfind('/')) + "/vellicor_test_stand_in";
}

bool eventually(const std::function<bool()>& done, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

void pause(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::string commandOutput(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) {
      out.append(buffer, n);
    }
    pclose(pipe);
  }
  return out;
}

bool run(const std::vector<std::string>& argv, double seconds) {
  return Child(argv).wait(seconds) == std::optional<int>(0);
}

void resetKeyboard(XTestClient& x) {
  run({"setxkbmap", "-layout", "us,kr", "-variant", ",kr104"});
  x.lockGroup(0);
}

void ensureTrayHost(XTestClient& x) {
  if (x.selectionOwned("_NET_SYSTEM_TRAY_S0")) {
    return;
  }
  Child trayer({"trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height",
                "24", "--transparent", "false", "--tint", "0x303030", "--monitor", "primary"});
  eventually([&] { return x.selectionOwned("_NET_SYSTEM_TRAY_S0"); });
  trayer.detach();
}

std::vector<std::string> programCommand(const std::vector<std::string>& environment,
                                        const std::vector<std::string>& arguments) {
  std::vector<std::string> argv;
  if (!environment.empty()) {
    argv.push_back("env");
    // env takes what it removes before what it sets.
    for (const std::string& setting : environment) {
      if (setting.rfind('-', 0) == 0) {
        argv.push_back("-u");
        argv.push_back(setting.substr(1));
      }
    }
    for (const std::string& setting : environment) {
      if (setting.rfind('-', 0) != 0) {
        argv.push_back(setting);
      }
    }
  }
  argv.push_back(programPath());
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return argv;
}

RunningProgram::RunningProgram(const std::string& label,
                               const std::vector<std::string>& environment,
                               const std::vector<std::string>& arguments)
    : logPath_(scratchPath(label + "-" + std::to_string(++started_) + ".err")),
      child_(std::make_unique<Child>(programCommand(environment, arguments), logPath_)) {}

std::vector<std::string> RunningProgram::logLines() const {
  std::vector<std::string> lines;
  std::istringstream in(log());
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

bool RunningProgram::waitForLog(const std::string& text, double seconds) const {
  return eventually([&] { return log().find(text) != std::string::npos; }, seconds);
}

int RunningProgram::linesWith(const std::string& text) const {
  int n = 0;
  for (const auto& line : logLines()) {
    if (line.find(text) != std::string::npos && std::regex_search(line, kTimestamped)) {
      ++n;
    }
  }
  return n;
}

unsigned long Screen::hud() const {
  return x.viewableWindowOfType("vellicor", "_NET_WM_WINDOW_TYPE_NOTIFICATION");
}

std::string Screen::hudText() const {
  const unsigned long id = hud();
  return id != 0 ? x.windowTitle(id) : std::string();
}

std::optional<Box> Screen::hudPanel() const {
  const unsigned long id = hud();
  const auto state = id != 0 ? x.window(id) : std::nullopt;
  return state ? std::optional<Box>(state->shown) : std::nullopt;
}

unsigned long Screen::menu() const {
  return x.viewableWindowOfType("vellicor", "_NET_WM_WINDOW_TYPE_POPUP_MENU");
}

std::optional<Box> Screen::menuBox() const {
  const unsigned long id = menu();
  const auto state = id != 0 ? x.window(id) : std::nullopt;
  return state ? std::optional<Box>(Box{state->x, state->y, state->width, state->height})
               : std::nullopt;
}

bool Screen::openMenu(int button) const {
  // Clicked where it has come to rest, wholly shown: a tray host places a new
  // icon, then asks for a wider panel, and until the window manager has
  // widened and moved the panel's frame the icon is cut off (a busy window
  // manager can take its time), or held partly off the screen. On a busy
  // machine the panel can still move after a short rest: a click that missed
  // the icon is made again where it is now, as a person would.
  constexpr int kAttempts = 3;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::optional<Box> icon;
    int still = 0;
    const bool settled = eventually(
        [&] {
          const auto now = trayIcon();
          still = now && icon && now->x == icon->x && now->y == icon->y ? still + 1 : 0;
          icon = now;
          return still >= 10;
        },
        10.0);
    if (!settled) {
      return false;
    }
    x.movePointer(icon->centreX(), icon->centreY());
    x.click(button);
    if (eventually([&] { return menu() != 0; })) {
      return true;
    }
    const auto now = trayIcon();
    if (!now || (now->x == icon->x && now->y == icon->y)) {
      return false;  // the icon is where it was clicked, and no menu came
    }
  }
  return false;
}

}  // namespace vellicor::e2e
