#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vellicor::qt {

class BusConnector;
class BusProbe;

// The session bus, which the main thread never waits for. Qt connects to it
// as it starts (for its theme's settings, or for accessibility) and waits for
// an answer as long as libdbus lets it, so a login whose bus is stopped or
// hung would freeze the program. So before Qt starts, a probe on a thread of
// its own finds out whether the bus answers a client's Hello, for at most a
// second. Qt is given a bus that answered; otherwise it is pointed at no bus
// ("disabled:", which libdbus refuses at once) for the whole run: its own uses
// fail at once (the tray icon is then an XEmbed one), and the program's own
// connection, for Fcitx5 and the session's trackers, is made whenever the bus
// answers, off the main thread (BusConnector). A bus that answers the probe
// but does not take that connection within two seconds is probed again, at
// most three times in all, then gone without.
//
// The address is the environment's when it names a local socket, else the
// user's runtime directory's `bus` when that is a socket of the user's own in
// the private runtime directory (another's could be anyone's server); libdbus
// is given exactly that one (another kind of address could make it run a
// program), or none.
class SessionBus {
 public:
  // What was found before Qt started.
  struct Found {
    std::string given;       // DBUS_SESSION_BUS_ADDRESS as the environment had it
    std::string address;     // the bus's address; empty when there is none
    bool answered = false;   // whether it answered in time, and so Qt has it
    bool silent = false;     // whether it was there but had not answered by then
    std::string passedOver;  // why the runtime directory's bus was not used, if it was not
  };
  // Call before the QApplication exists; it may wait a second.
  static Found findBeforeQt();
  // `found` is what findBeforeQt() returned; `note` writes one line to the log.
  SessionBus(const Found& found, std::function<void(const std::string&)> note);
  ~SessionBus();
  SessionBus(const SessionBus&) = delete;
  SessionBus& operator=(const SessionBus&) = delete;

  // Runs `use` on the main thread once it is known whether the program starts
  // with the bus: its connection was made (after the `whenAnswers` work), or
  // there is no bus to connect to yet (absent, refused, silent, or it did not
  // take the connection). Qt may then ask for the bus without waiting. At once
  // when that is so already.
  void whenSettled(std::function<void()> use);
  // Runs `use` on the main thread once the bus has answered and `connection`
  // is connected; never if it does not answer.
  void whenAnswers(std::function<void()> use);
  bool settled() const { return settled_; }
  // Whether the environment names the bus to the libraries that find it
  // themselves (GIO, under GSettings): only when it answered in time.
  // Otherwise they find no bus, and GIO's dconf backend keeps that failure
  // for the rest of the run: a GSettings object made then never hears a change.
  static bool namedToLibraries();
  // The QDBusConnection name of the program's own connection to the session
  // bus; connected once the bus has answered.
  static QString connectionName();

 private:
  void probe();
  void probed(bool answers);
  void connect();
  void connected(bool connected);
  void settle();

  std::function<void(const std::string&)> note_;
  std::string address_;  // what libdbus is given once the bus answers
  std::unique_ptr<BusProbe> probe_;
  std::unique_ptr<BusConnector> connector_;
  int attempts_ = 0;
  std::vector<std::function<void()>> settling_;
  std::vector<std::function<void()>> answering_;
  bool settled_ = false;
  bool answered_ = false;
};

}  // namespace vellicor::qt
