#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "platform/qt/sources/dbus/dbus_address.h"

namespace vellicor::qt {

// Finds out, off the main thread, whether a D-Bus bus listens and serves its
// clients at a local socket, so that the program never waits for one that is
// stopped or hung: it connects as a client does, authenticates and sends the
// Hello that every bus connection opens with. A bus that answers the Hello is
// there and awake; a stopped one never answers, nor does one whose server
// authenticates on a thread of its own while its main loop hangs (so does a
// hung ibus-daemon), and only the probe's own thread waits for them.
class BusProbe {
 public:
  enum class Outcome {
    Answers,  // the bus answered the Hello, with a reply or an error
    Absent,   // nothing listens there, it hung up, refused us or is no bus
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
