#pragma once

#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vellicor::qt {

class BusProbe;

// The session bus, which the main thread never waits for. Qt connects to it
// on the thread that first asks, and waits for an answer as long as libdbus
// lets it; a login whose bus is stopped or hung would freeze the program. So
// a probe finds out first, off the main thread, that the bus answers; only
// then does what needs the bus (the D-Bus tray icon, Fcitx5) go ahead.
//
// The address is the environment's when it names a local socket, else the
// user's runtime directory's `bus`; libdbus is told to use exactly that one
// (another kind of address could make it run a program), or none.
class SessionBus {
 public:
  // `note` writes one line to the log.
  explicit SessionBus(std::function<void(const std::string&)> note);
  ~SessionBus();
  SessionBus(const SessionBus&) = delete;
  SessionBus& operator=(const SessionBus&) = delete;

  // Runs `use` on the main thread once the bus has answered or is known to be
  // absent; at once when that is known already.
  void whenReady(std::function<void()> use);
  bool ready() const { return ready_; }

 private:
  void becomeReady();

  std::function<void(const std::string&)> note_;
  std::unique_ptr<BusProbe> probe_;
  std::vector<std::function<void()>> waiting_;
  QTimer slow_;
  bool ready_ = false;
  bool saidSlow_ = false;
};

}  // namespace vellicor::qt
