#pragma once

#include <string>
#include <vector>

namespace vellicor::qt {

// What the command line asks for. The program has no settings: it takes
// --help, --version, and the display to show on (-display NAME, as X and Qt
// programs take it, also spelt --display), which comes before DISPLAY.
struct CommandLine {
  enum class Action { Run, Help, Version, Error };
  Action action = Action::Run;
  std::string display;  // empty: DISPLAY's
  std::string error;    // what is wrong, for Error
};

CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The usage text --help prints.
std::string usageText();

}  // namespace vellicor::qt
