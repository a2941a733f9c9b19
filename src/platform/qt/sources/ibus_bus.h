#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <functional>
#include <string>

namespace vellicor::qt {

// This session's IBus bus, found as IBus clients find it: the address in
// IBUS_ADDRESS, else in the file IBUS_ADDRESS_FILE names, else in the file
// ibus-daemon writes for this display (WAYLAND_DISPLAY before DISPLAY). The
// file, or the nearest folder above it, is watched, so a daemon that starts
// later or again is found; the connection is let go when the bus goes.
class IBusBus final : public QObject {
  Q_OBJECT

 public:
  // `connected` runs on the main thread once a connection is made,
  // `disconnected` once it is lost.
  IBusBus(std::function<void()> connected, std::function<void()> disconnected);
  ~IBusBus() override;

  // Looks for the bus for the first time (and connects, if it is there).
  void start() { look(); }

  // The QDBusConnection name of the connection; empty while there is none.
  const QString& connection() const { return name_; }

 private slots:
  void busDisconnected();

 private:
  void look();
  void connectTo(const std::string& address);
  void drop();

  std::function<void()> connected_;
  std::function<void()> disconnected_;
  QFileSystemWatcher files_;
  QString name_;
  std::string address_;
  int connections_ = 0;
};

}  // namespace vellicor::qt
