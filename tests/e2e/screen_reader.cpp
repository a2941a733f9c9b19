#include "screen_reader.h"

#include <gtest/gtest.h>

#include <QtGlobal>
#include <cctype>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "running_program.h"
#include "scratch.h"

namespace vellicor::e2e {
namespace {

// The rig's files, copied beside the tests.
std::string rigFile(const std::string& name) {
  char self[4096] = {};
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  const std::string exe(self, n > 0 ? static_cast<size_t>(n) : 0);
  return exe.substr(0, exe.rfind('/')) + "/screen-reader/" + name;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) {
      out.push_back(line);
    }
  }
  return out;
}

}  // namespace

ScreenReader::ScreenReader() : folder_(scratchPath("screen-reader-" + std::to_string(++made_))) {}

ScreenReader::~ScreenReader() {
  stop();
}

namespace {

// The output of a shell command run with $a the accessibility bus's address.
std::string onAccessibilityBus(const std::string& command) {
  return commandOutput(
      "a=$(gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus"
      " --method org.a11y.Bus.GetAddress | sed \"s/^('\\(.*\\)',)$/\\1/\") && { " +
      command + "; } 2>/dev/null");
}

// Whether Orca listens for the event the program's panel sends at a switch.
// Orca says it is on before it asks the registry for any event, and an event
// sent before it asks reaches no one.
bool orcaListens() {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  const std::string event = "object:announcement";
#else
  const std::string event = "object:statechanged:showing";
#endif
  // The registry spells events as D-Bus does (Object:StateChanged:Showing),
  // and newer ones end some with a colon (Object:Announcement:).
  std::string events;
  for (const char c :
       onAccessibilityBus("gdbus call --address \"$a\" --dest org.a11y.atspi.Registry"
                          " --object-path /org/a11y/atspi/registry"
                          " --method org.a11y.atspi.Registry.GetRegisteredEvents")) {
    if (c != '-') {
      events += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return events.find("'" + event) != std::string::npos;
}

}  // namespace

bool ScreenReader::start(std::string& why) {
  namespace fs = std::filesystem;
  if (!fs::exists("/usr/bin/orca") || !fs::exists("/usr/bin/speech-dispatcher")) {
    why = "Orca or speech-dispatcher is not installed";
    return false;
  }
  const std::string home = folder_ + "/home";
  const std::string config = home + "/.config";
  fs::create_directories(config + "/speech-dispatcher/modules");
  fs::create_directories(folder_ + "/speechd-log");
  // speech-dispatcher's socket is in the runtime folder: one of its own, so
  // that this Orca starts its own voice rather than another one's.
  const std::string runtime = folder_ + "/run";
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
  // No sound card: libao's null driver plays nothing, and the module writes.
  std::ofstream(home + "/.libao") << "default_driver=null\n";
  std::ofstream(config + "/speech-dispatcher/speechd.conf")
      << "LogLevel 3\nLogDir \"" << folder_ << "/speechd-log\"\nTimeout 5\n"
      << "AddModule \"recorder\" \"sd_generic\" \"recorder.conf\"\nDefaultModule recorder\n"
      << "DefaultLanguage \"en\"\nAudioOutputMethod \"libao\"\n";
  // The generic module runs this through the shell with $DATA the text to
  // speak (substituted once only).
  std::ofstream(config + "/speech-dispatcher/modules/recorder.conf")
      << "GenericExecuteSynth \"printf %s \\'$DATA\\' >> " << folder_ << "/spoken.txt; echo >> "
      << folder_ << "/spoken.txt\"\n"
      << "GenericLanguage \"en\" \"en\" \"utf-8\"\nGenericLanguage \"ko\" \"ko\" \"utf-8\"\n"
      << "AddVoice \"en\" \"MALE1\" \"default\"\n";
  orca_ = std::make_unique<Child>(
      std::vector<std::string>{"env", "HOME=" + home, "XDG_CONFIG_HOME=" + config,
                               "XDG_RUNTIME_DIR=" + runtime,
                               "XDG_DATA_HOME=" + home + "/.local/share",
                               "XDG_CACHE_HOME=" + home + "/.cache", "/usr/bin/orca"},
      folder_ + "/orca.err");
  if (!eventually([&] { return utterancesWith("Screen reader on") > 0; }, 30)) {
    why = "Orca said nothing within 30 s: " + readFile(folder_ + "/orca.err");
    return false;
  }
  // Orca runs here, so this is a failure, not a reason to skip.
  if (!eventually(orcaListens, 30)) {
    why = "Orca asked for no switch's event within 30 s";
    ADD_FAILURE() << why;
    return false;
  }
  return true;
}

void ScreenReader::stop() {
  if (!orca_) {
    return;
  }
  orca_->signal(SIGTERM);
  if (!orca_->wait(6)) {
    orca_->signal(SIGKILL);  // seen to hang on its way out
    orca_->wait(5);
  }
  orca_.reset();
}

std::vector<std::string> ScreenReader::spoken() const {
  return lines(readFile(folder_ + "/spoken.txt"));
}

int ScreenReader::utterancesWith(const std::string& text) const {
  int n = 0;
  for (const std::string& line : spoken()) {
    n += line.find(text) != std::string::npos ? 1 : 0;
  }
  return n;
}

EventListener::EventListener() : log_(scratchPath("atspi-events.err")) {
  listener_ = std::make_unique<Child>(
      std::vector<std::string>{"/usr/bin/python3", rigFile("listen.py")}, log_);
  eventually([&] { return listening(); }, 10);
}

EventListener::~EventListener() = default;

bool EventListener::listening() const {
  return readFile(log_).find("listening\n") != std::string::npos;
}

std::vector<std::string> EventListener::events() const {
  std::vector<std::string> out = lines(readFile(log_));
  if (!out.empty() && out.front() == "listening") {
    out.erase(out.begin());
  }
  return out;
}

bool enableAccessibility(bool enabled) {
  return run({"gdbus", "call", "--session", "--dest", "org.a11y.Bus", "--object-path",
              "/org/a11y/bus", "--method", "org.freedesktop.DBus.Properties.Set", "org.a11y.Status",
              "IsEnabled", enabled ? "<true>" : "<false>"});
}

bool onAccessibleDesktop(pid_t pid) {
  // The registry's children are the applications' bus names; each is matched
  // to its process by the accessibility bus itself.
  const std::string out = onAccessibilityBus(
      "for n in $(gdbus call --address \"$a\" --dest org.a11y.atspi.Registry"
      " --object-path /org/a11y/atspi/accessible/root"
      " --method org.a11y.atspi.Accessible.GetChildren | grep -o \"':[0-9.]*'\" | tr -d \"'\");"
      " do gdbus call --address \"$a\" --dest org.freedesktop.DBus"
      " --object-path /org/freedesktop/DBus"
      " --method org.freedesktop.DBus.GetConnectionUnixProcessID \"$n\"; done");
  return out.find("(uint32 " + std::to_string(pid) + ",)") != std::string::npos;
}

}  // namespace vellicor::e2e
