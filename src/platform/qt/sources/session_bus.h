#pragma once

#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vellicor::qt {

class BusProbe;

// The session bus, which the main thread never waits for. Qt connects to it
// on the thread that first asks (to make a tray icon, or for accessibility)
// and waits for an answer as long as libdbus lets it, so a login whose bus is
// stopped or hung would freeze the program. So a probe finds out first, off
// the main thread, whether the bus answers. Until it has, Qt is pointed at no
// bus ("disabled:", which libdbus refuses at once) and nothing that needs the
// bus goes ahead; once it answers, Qt is given the bus back. A bus that is
// absent stays so for Qt, and one that has not answered after a second is
// gone without: Qt's own uses fail at once for
// the rest of the run (the tray icon is then an XEmbed one), and the program's
// own connection, for Fcitx5, is made whenever the bus answers.
//
// The address is the environment's when it names a local socket, else the
// user's runtime directory's `bus`; libdbus is given exactly that one
// (another kind of address could make it run a program), or none.
class SessionBus {
 public:
  // `note` writes one line to the log.
  explicit SessionBus(std::function<void(const std::string&)> note);
  ~SessionBus();
  SessionBus(const SessionBus&) = delete;
  SessionBus& operator=(const SessionBus&) = delete;

  // Runs `use` on the main thread once Qt may ask for the session bus without
  // waiting: the bus answered, is absent, or was given up on. At once when
  // that is so already.
  void whenSettled(std::function<void()> use);
  // Runs `use` on the main thread once the bus has answered and `connection`
  // is connected; never if it does not answer.
  void whenAnswers(std::function<void()> use);
  bool settled() const { return settled_; }
  // Whether the environment names the bus to the libraries that find it
  // themselves (GIO, under GSettings): only once it has answered in time.
  // Before, they find no bus, and GIO's dconf backend keeps that failure for
  // the rest of the run: a GSettings object made then never hears a change.
  static bool namedToLibraries();
  // The QDBusConnection name of the program's own connection to the session
  // bus; connected once the bus has answered.
  static QString connectionName();

 private:
  void probed(bool answers);
  void settle();

  std::function<void(const std::string&)> note_;
  std::string address_;  // what libdbus is given once the bus answers
  std::unique_ptr<BusProbe> probe_;
  std::vector<std::function<void()>> settling_;
  std::vector<std::function<void()>> answering_;
  QTimer patience_;
  bool settled_ = false;
  bool answered_ = false;
  bool gaveUp_ = false;
};

}  // namespace vellicor::qt
