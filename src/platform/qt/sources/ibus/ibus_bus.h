#pragma once

#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

namespace vellicor::qt {

class BusConnector;
class BusProbe;

// This session's IBus bus, found as IBus clients find it: the address in
// IBUS_ADDRESS, else in the file IBUS_ADDRESS_FILE names, else in the file
// ibus-daemon writes for this display (WAYLAND_DISPLAY before DISPLAY). Only
// an address of local sockets is used; another is refused, and said once.
// The main thread never waits for the daemon: a probe finds out first that it
// answers a client's Hello (a stopped or hung daemon never does), and only
// then is the connection made, off the main thread, within two seconds.
// The address file, or the nearest folder above it, and the folder of a
// socket path are watched, so a daemon that starts later or again is found;
// where nothing can be watched (an abstract socket named in IBUS_ADDRESS) the
// bus is tried again after 0.25 s, then at doubling intervals up to 30 s, for
// ten minutes. The connection is let go when the bus goes.
class IBusBus final : public QObject {
  Q_OBJECT

 public:
  // `connected` runs on the main thread once a connection is made,
  // `disconnected` once it is lost, `absent` when a look found no bus to
  // connect to (no address, a refused one, or nothing answering there);
  // `note` writes one line to the log.
  IBusBus(std::function<void()> connected, std::function<void()> disconnected,
          std::function<void()> absent, std::function<void(const std::string&)> note);
  ~IBusBus() override;

  // Looks for the bus for the first time.
  void start() { look(); }

  // The QDBusConnection name of the connection; empty while there is none.
  const QString& connection() const { return name_; }

 private slots:
  void busDisconnected();

 private:
  void look();
  void keepWatching(QStringList wanted);
  void probe(const std::string& address);
  void probed(const std::string& address, bool answers);
  void connectTo(const std::string& address);
  void connected(const std::string& address, const QString& name, bool made);
  void drop();
  void retryLater();

  std::function<void()> connected_;
  std::function<void()> disconnected_;
  std::function<void()> absent_;
  std::function<void(const std::string&)> note_;
  QFileSystemWatcher files_;
  QTimer retry_;
  QElapsedTimer failingFor_;
  int retryMs_ = 0;
  std::unique_ptr<BusProbe> probe_;
  std::unique_ptr<BusConnector> connector_;
  std::string probing_;  // the address being probed
  std::string refused_;  // the address last said to be refused
  QString name_;
  std::string address_;
  int connections_ = 0;
};

}  // namespace vellicor::qt
