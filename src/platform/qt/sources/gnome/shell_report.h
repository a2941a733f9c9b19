#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/qt/sources/gnome/gnome_sources.h"
#include "platform/qt/sources/session_tracker.h"

namespace vellicor::qt {

// The monitor GNOME Shell names: its rectangle in the shell's logical pixels
// and its scale.
struct ShellMonitor {
  OutputRect area;
  double scale = 1;
};

// What Vellicor's shell extension reports: the shell's current source and
// the monitor under the pointer.
struct ShellReport {
  GnomeSource source;
  ShellMonitor monitor;
};

// The report the extension's values make, or none when one is out of range: a
// source that is not an "xkb" or "ibus" one of bounded length, a monitor of
// no size or beyond any screen's (each side at most 65,536 pixels from the
// origin), a scale that is not a number between 0 and 16. `why` then says
// which.
std::optional<ShellReport> shellReport(std::string type, std::string id, int x, int y, int width,
                                       int height, double scale, std::string& why);

// The one of `screens` the monitor is: the screen with its logical
// rectangle, else the one with that rectangle in device pixels (where the X
// server's screens are not scaled). None when no screen is either.
std::optional<OutputRect> screenOfMonitor(const ShellMonitor& monitor,
                                          const std::vector<OutputRect>& screens);

}  // namespace vellicor::qt
