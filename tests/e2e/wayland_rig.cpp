#include "wayland_rig.h"

#include <unistd.h>

#include <cstdlib>
#include <utility>

#include "running_program.h"

namespace vellicor::e2e {
namespace {

// Appends `word` in single quotes, as the shell reads it back.
void appendQuoted(std::string& out, const std::string& word) {
  out.push_back('\'');
  for (const char c : word) {
    if (c == '\'') {
      out.append("'\\''");
    } else {
      out.push_back(c);
    }
  }
  out.push_back('\'');
}

std::string quoted(const std::string& word) {
  std::string out;
  appendQuoted(out, word);
  return out;
}

std::string commandLine(const std::vector<std::string>& words) {
  std::string out;
  for (const std::string& word : words) {
    if (!out.empty()) {
      out.push_back(' ');
    }
    appendQuoted(out, word);
  }
  return out;
}

// Where a rig keeps its state, before its name.
std::string statePrefix() {
  const char* prefix = std::getenv("VELLICOR_RIG_STATE");
  return prefix != nullptr && *prefix != '\0' ? prefix : "/tmp/wr-";
}

}  // namespace

const std::string kChangeLabel = "입력 언어 변경: ";

namespace {

std::string changeAt(const std::string& log, std::size_t at) {
  if (at == std::string::npos) {
    return {};
  }
  const auto start = at + kChangeLabel.size();
  return log.substr(start, log.find('\n', start) - start);
}

}  // namespace

int changeLinesIn(const std::string& log) {
  int n = 0;
  for (auto at = log.find(kChangeLabel); at != std::string::npos;
       at = log.find(kChangeLabel, at + 1)) {
    ++n;
  }
  return n;
}

std::string firstChangeIn(const std::string& log) {
  return changeAt(log, log.find(kChangeLabel));
}

std::string lastChangeIn(const std::string& log) {
  return changeAt(log, log.rfind(kChangeLabel));
}

std::string waylandRigsFolder() {
  char self[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  const std::string exe(self, n > 0 ? static_cast<size_t>(n) : 0);
  return exe.substr(0, exe.rfind('/')) + "/wayland";
}

WaylandRig::WaylandRig(std::string name)
    : name_(std::move(name)), folder_(waylandRigsFolder()), state_(statePrefix() + name_) {}

WaylandRig::~WaylandRig() {
  stop();
}

bool WaylandRig::start(std::string& why, const std::vector<std::string>& environment) {
  run({folder_ + "/" + name_ + "/stop"});
  const std::string log = state_ + "-start.log";
  std::string settings;
  for (const std::string& setting : environment) {
    settings += quoted(setting) + " ";
  }
  const std::string out = commandOutput("env " + settings + "WR=" + quoted(state_) +
                                        " timeout 120 " + quoted(folder_ + "/" + name_ + "/start") +
                                        " >" + quoted(log) + " 2>&1; echo status=$?");
  if (out.find("status=0") == std::string::npos) {
    why = name_ + " did not start: " + readFile(log);
    run({folder_ + "/" + name_ + "/stop"});
    return false;
  }
  started_ = true;
  return true;
}

void WaylandRig::stop() {
  if (started_) {
    verb({"stop"});
    started_ = false;
  }
}

bool WaylandRig::verb(const std::vector<std::string>& arguments) const {
  std::vector<std::string> argv{"env", "WR=" + state_,
                                folder_ + "/" + name_ + "/" + arguments.front()};
  argv.insert(argv.end(), arguments.begin() + 1, arguments.end());
  return run(argv, 30);
}

std::string WaylandRig::output(const std::vector<std::string>& arguments) const {
  std::vector<std::string> words(arguments.begin() + 1, arguments.end());
  return commandOutput("WR=" + quoted(state_) + " " +
                       quoted(folder_ + "/" + name_ + "/" + arguments.front()) + " " +
                       commandLine(words) + " 2>&1");
}

bool WaylandRig::client(const std::string& name, const std::string& kind,
                        const std::vector<std::string>& command) const {
  std::vector<std::string> arguments{"client", name, kind};
  arguments.insert(arguments.end(), command.begin(), command.end());
  return verb(arguments);
}

std::string WaylandRig::clientLog(const std::string& name) const {
  return readFile(state_ + "/" + name + ".log");
}

bool WaylandRig::launchProgram() const {
  client("vellicor", "x11", {programPath()});
  return eventually([this] { return programLog().find("Vellicor 앱 시작") != std::string::npos; },
                    10);
}

void WaylandRig::openTestWindows() const {
  client("waylandwin", "wayland", {"zenity", "--entry", "--title", "waylandwin"});
  client("xtermwin", "x11", {"xterm", "-title", "xtermwin"});
}

std::string WaylandRig::panel() const {
  std::string out = inSession(quoted(folder_ + "/hudwhere"));
  while (!out.empty() && out.back() == '\n') {
    out.pop_back();
  }
  return out;
}

std::string WaylandRig::environment(const std::string& variable) const {
  return commandOutput(". " + quoted(state_ + "/env") + "; printf %s \"$" + variable + "\"");
}

std::string WaylandRig::inSession(const std::string& command) const {
  // Where the session runs as a user of its own, as that user.
  return commandOutput(". " + quoted(state_ + "/env") +
                       "; if type asuser >/dev/null 2>&1; then asuser " + command + "; else " +
                       command + "; fi 2>&1");
}

}  // namespace vellicor::e2e
