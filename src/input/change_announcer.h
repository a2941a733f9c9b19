#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace vellicor {

class TimerSource;

// Speaks each change of input source to a screen reader, once the changes
// have settled: 0.15 s after the last of a burst, the name it ended with, so
// that quick switching leaves no queue of stale names to hear, and a screen
// reader that drops a program's second message within a tenth of a second
// drops none. A burst that ends on the name last spoken (or read at start-up)
// says nothing: for the listener nothing changed. The name read at start-up is
// never spoken. Everything runs on the main thread.
class ChangeAnnouncer {
 public:
  static constexpr double kSettleSeconds = 0.15;

  explicit ChangeAnnouncer(const Platform& platform);
  ~ChangeAnnouncer();
  ChangeAnnouncer(const ChangeAnnouncer&) = delete;
  ChangeAnnouncer& operator=(const ChangeAnnouncer&) = delete;

  // The name the program started with: known to be current, not spoken.
  void started(const std::string& name);
  // The name the panel shows now, for a change just announced on screen.
  void changed(const std::string& name);
  // Drops what was waiting to be spoken.
  void cancel();

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace vellicor
