#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vellicor::qt {

// ibus-daemon writes the address of its bus to a file named after the machine
// and the display: under Wayland <machine-id>-unix-<WAYLAND_DISPLAY>, else
// <machine-id>-<host>-<display number>, the host being "unix" for a local X
// display. None when neither display names one.
std::optional<std::string> ibusAddressFileName(std::string_view display,
                                               std::string_view waylandDisplay,
                                               std::string_view machineId);

// The IBUS_ADDRESS line of that file; comments and other lines are skipped.
std::optional<std::string> ibusAddressFromFile(std::string_view content);

}  // namespace vellicor::qt
