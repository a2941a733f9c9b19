#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "platform/qt/sources/dbus_address.h"

namespace vellicor::qt {

// Finds out, off the main thread, whether a D-Bus server listens and answers
// at a local socket, so that the program never waits for a server that is
// stopped or hung: it connects and sends the line every client opens its
// authentication with. A server that answers is there and awake; a stopped
// one never answers, and only the probe's own thread waits for it.
class BusProbe {
 public:
  enum class Outcome {
    Answers,  // the server answered
    Absent,   // nothing listens there, or it hung up without a word
  };

  // `done` runs on the main thread, once, unless the probe goes first.
  BusProbe(UnixSocketAddress socket, std::function<void(Outcome)> done);
  // Probes on a thread of its own and waits at most `timeoutMs` for the
  // outcome; none when the server has not answered by then. Needs no event
  // loop, so it can run before Qt starts.
  static std::optional<Outcome> within(const UnixSocketAddress& socket, int timeoutMs);
  // Wakes the probe's thread and waits for it to end.
  ~BusProbe();
  BusProbe(const BusProbe&) = delete;
  BusProbe& operator=(const BusProbe&) = delete;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

}  // namespace vellicor::qt
