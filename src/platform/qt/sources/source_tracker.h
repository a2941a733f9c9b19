#pragma once

#include <optional>
#include <string>

namespace vellicor::qt {

// A keyboard input source as the desktop names it.
struct NamedSource {
  std::optional<std::string> localizedName;  // what the desktop shows for it
  std::optional<std::string> identifier;     // a stable machine name
};

inline bool operator==(const NamedSource& a, const NamedSource& b) {
  return a.localizedName == b.localizedName && a.identifier == b.identifier;
}

// One of the ways a Linux desktop selects the keyboard input source: the XKB
// group, IBus's engine and its mode, Fcitx5's input method. A tracker is made
// with a `changed` callback, which it calls on the main thread whenever what it
// names may have changed.
class SourceTracker {
 public:
  virtual ~SourceTracker() = default;
  // The source while this tracker's framework owns the keyboard; none while it
  // does not (not running, no engine chosen yet).
  virtual std::optional<NamedSource> current() const = 0;
  // Whether the tracker has read its framework once, or found it absent: the
  // program starts with what the first readings name.
  virtual bool settled() const { return true; }
  // Whether what it names is only a keyboard layout, which the session's own
  // tracker (a Wayland compositor's) names better: IBus's xkb: engines.
  virtual bool yieldsToSession() const { return false; }
  // Something that may go with a switch happened elsewhere (a keymap change,
  // another window activated): a tracker that cannot hear its framework's
  // switches looks again.
  virtual void recheck() {}
};

}  // namespace vellicor::qt
