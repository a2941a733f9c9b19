#pragma once

#include <optional>
#include <string>

#include "platform/qt/sources/source_tracker.h"

namespace vellicor::qt {

// A rectangle in the compositor's layout of its outputs, in its logical pixels.
struct OutputRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

inline bool operator==(const OutputRect& a, const OutputRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// The session's own way of following the input source, in a Wayland session:
// the compositor or the desktop's shell announces every switch itself, also
// those made while a Wayland window has the focus, which XWayland's keyboard
// group hears only once an X window has it again.
class SessionTracker : public SourceTracker {
 public:
  // What is followed, for the log ("sway's IPC").
  virtual std::string description() const = 0;
  // The output the user works on, where the compositor can tell: where the
  // panel goes. None where it cannot.
  virtual std::optional<OutputRect> activeOutput() const { return std::nullopt; }
  // The IBus engine the session has made the source, when that source is one
  // (GNOME lists IBus engines among its sources and sets IBus's engine itself);
  // none for a keyboard layout.
  virtual std::optional<std::string> inputMethodEngine() const { return std::nullopt; }
};

}  // namespace vellicor::qt
