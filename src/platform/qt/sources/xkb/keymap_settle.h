#pragma once

#include <chrono>
#include <optional>

namespace vellicor::qt {

// When the keyboard's names are read again after a keymap change, and when a
// group switch that comes meanwhile is announced.
//
// Keymap changes come in bursts (setxkbmap's new keyboard, map and names
// events arrive within a few milliseconds), so the names are read again once a
// burst has settled: 30 ms (`kSettle`) after its last event. A group switch
// that comes while the keymap settles is not announced at once, with names
// that may be the old ones, and not held until the keymap settles either: a
// client that renames groups without a pause would put that off for ever. It
// is announced at most 5 ms (`kSwitchWait`) after the program receives it,
// with the names read then. The wait lets the rest of a burst already on its
// way arrive first, and is short against the time between two switches: ones
// 20 ms apart are each announced.
class KeymapSettle {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kSettle{30};
  static constexpr std::chrono::milliseconds kSwitchWait{5};

  // A new keyboard, keymap or names event at `now`.
  void keymapChanged(Clock::time_point now);
  // A group switch at `now`: true when it is to be announced at once with the
  // names held; otherwise it is announced at a coming `due()`.
  bool groupSwitched(Clock::time_point now);
  // When the names are next to be read again and the keyboard announced; none
  // while nothing waits.
  std::optional<Clock::time_point> due() const;
  enum class Due {
    kNothing,     // not yet
    kSettled,     // the keymap has settled: read the keyboard again and announce it
    kHeldSwitch,  // the wait for a held switch is over: read the names again
                  // (the group stays the one the switch reported) and announce it
  };
  // At or after `due()`: what is due now.
  Due fire(Clock::time_point now);

 private:
  std::optional<Clock::time_point> settled_;    // the end of the keymap's settling
  std::optional<Clock::time_point> switchDue_;  // the latest announcement of a held switch
};

}  // namespace vellicor::qt
