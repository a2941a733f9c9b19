#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "x_test_client.h"

namespace vellicor::e2e {

// The vellicor executable under test: VELLICOR_BINARY, else vellicor on PATH.
std::string programPath();
// The command that starts it with `environment` changed (see RunningProgram)
// and `arguments`.
std::vector<std::string> programCommand(const std::vector<std::string>& environment,
                                        const std::vector<std::string>& arguments = {});

// The stand-ins for a desktop's session services (desktop_stand_ins.cpp),
// built next to the tests.
std::string standIn();

// Polls `done` every 10 ms for up to `seconds`.
bool eventually(const std::function<bool()>& done, double seconds = 5.0);

void pause(double seconds);

// What a shell command writes to its standard output.
std::string commandOutput(const std::string& command);

// Runs a command to its end; true when it exits 0.
bool run(const std::vector<std::string>& argv, double seconds = 20.0);

// The keyboard of tools/x-session: groups us and kr(kr104), the first locked.
inline const std::string kEnglish = "English (US)";
inline const std::string kKorean = "Korean (101/104-key compatible)";
void resetKeyboard(XTestClient& x);
// Starts a tray host (trayer, as tools/x-session does) unless one runs; it
// stays for the rest of the session.
void ensureTrayHost(XTestClient& x);

// The program started as a user starts it, its standard error in a file of its
// own; killed when this goes, if it is still running.
class RunningProgram {
 public:
  // `environment` adds NAME=VALUE settings (or, as "-NAME", takes one away);
  // `arguments` follow the program's name.
  explicit RunningProgram(const std::string& label,
                          const std::vector<std::string>& environment = {},
                          const std::vector<std::string>& arguments = {});

  pid_t pid() const { return child_->pid(); }
  std::optional<int> wait(double seconds) { return child_->wait(seconds); }
  void signal(int sig) const { child_->signal(sig); }
  bool running() { return !child_->wait(0).has_value(); }

  std::string log() const { return readFile(logPath_); }
  std::vector<std::string> logLines() const;
  bool waitForLog(const std::string& text, double seconds = 10.0) const;
  // Lines that start with the program's timestamp and contain `text`.
  int linesWith(const std::string& text) const;
  // Started: the start-up line is in the log.
  bool started(double seconds = 10.0) const {
    return waitForLog("Vellicor 앱 시작. 현재: ", seconds);
  }

 private:
  static inline int started_ = 0;  // each run's log has a file of its own
  std::string logPath_;
  std::unique_ptr<Child> child_;
};

// What the program shows, read from the display as any X client can.
struct Screen {
  explicit Screen(XTestClient& x) : x(x) {}
  // The HUD while it is on the screen: its title is the text it shows.
  unsigned long hud() const;
  std::string hudText() const;
  std::optional<Box> hudPanel() const;
  // The status item's menu while it is open.
  unsigned long menu() const;
  std::optional<Box> menuBox() const;
  std::optional<Box> trayIcon() const { return x.dockedIconOf("vellicor"); }
  // Opens the menu with a click on the tray icon (1 the left button, 3 the right).
  bool openMenu(int button = 1) const;

  XTestClient& x;
};

}  // namespace vellicor::e2e
