#include "platform/qt/command_line.h"

namespace vellicor::qt {

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      line.action = CommandLine::Action::Help;
      return line;
    }
    if (argument == "--version") {
      line.action = CommandLine::Action::Version;
      return line;
    }
    if (argument == "-display" || argument == "--display") {
      if (i + 1 == arguments.size() || arguments[i + 1].empty()) {
        line.action = CommandLine::Action::Error;
        line.error = argument + " needs the name of a display, such as :0";
        return line;
      }
      line.display = arguments[++i];
      continue;
    }
    line.action = CommandLine::Action::Error;
    line.error = "unknown option " + argument;
    return line;
  }
  return line;
}

std::string usageText() {
  return "Usage: vellicor [-display NAME]\n"
         "Shows which keyboard input source is active: a badge in the system tray,\n"
         "and a panel with the new source's name whenever it changes.\n"
         "\n"
         "  -display NAME  the X display to show on (default: $DISPLAY)\n"
         "  --help         show this text and exit\n"
         "  --version      show the version and exit\n"
         "\n"
         "One Vellicor runs per user and display. It quits from its menu or on\n"
         "SIGTERM; `man vellicor` says more.\n";
}

}  // namespace vellicor::qt
