#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vellicor::e2e {

// A Wayland session of one compositor ("sway", "kde", "gnome"), started with
// the scripts in tests/e2e/wayland (copied beside the tests), used as its user
// would: clients started in it, layouts switched and windows focused with its
// own tools, what XWayland shows read back. Its state lives in /tmp/wr-NAME,
// or in the folder VELLICOR_RIG_STATE starts with (VELLICOR_RIG_STATE=/tmp/mine-
// gives /tmp/mine-kde), so that sessions started by others are left alone.
class WaylandRig {
 public:
  explicit WaylandRig(std::string name);
  ~WaylandRig();
  WaylandRig(const WaylandRig&) = delete;
  WaylandRig& operator=(const WaylandRig&) = delete;

  // False, with why, when the compositor cannot start on this machine.
  // `environment` holds NAME=VALUE settings for the start script
  // (GNOME_EXT=DIR: an extension enabled in the shell).
  bool start(std::string& why, const std::vector<std::string>& environment = {});
  void stop();

  // Runs one of the rig's verbs ("switch", "focus", ...); true when it succeeds.
  bool verb(const std::vector<std::string>& arguments) const;
  // What a verb prints.
  std::string output(const std::vector<std::string>& arguments) const;
  // Starts a client as the session's user: `kind` is "x11" or "wayland".
  bool client(const std::string& name, const std::string& kind,
              const std::vector<std::string>& command) const;
  // A client's standard output and error.
  std::string clientLog(const std::string& name) const;
  // Starts the program under test through XWayland as the client "vellicor",
  // and waits for its start line; its log is programLog().
  bool launchProgram() const;
  std::string programLog() const { return clientLog("vellicor"); }
  // The two windows the tests focus: zenity as the Wayland client
  // "waylandwin" and xterm through XWayland as "xtermwin".
  void openTestWindows() const;
  // Vellicor's panel on XWayland: "none", or its name, place and "output N".
  std::string panel() const;
  // A variable of the session's environment (DBUS_SESSION_BUS_ADDRESS, ...).
  std::string environment(const std::string& variable) const;
  // What a shell command (already quoted) prints, run in the session's
  // environment and as its user.
  std::string inSession(const std::string& command) const;

 private:
  std::string name_;
  std::string folder_;  // the rig scripts
  std::string state_;   // $WR
  bool started_ = false;
};

// The rig scripts next to the test executables.
std::string waylandRigsFolder();

// The program's change lines in a log: how many there are, and what the first
// and the last one say after their label ("A → B"; empty when there is none).
int changeLinesIn(const std::string& log);
std::string firstChangeIn(const std::string& log);
std::string lastChangeIn(const std::string& log);

}  // namespace vellicor::e2e
