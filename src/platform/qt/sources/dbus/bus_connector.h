#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/qt/sources/dbus/dbus_address.h"

namespace vellicor::qt {

// Connects Qt to a bus, under a connection name, off the main thread. Qt makes
// the connection on its D-Bus thread, which also carries every other
// connection's traffic and holds a lock that every QDBusConnection made by
// name takes, and it waits there up to 25 s for the bus to answer the Hello:
// a bus that stalled would freeze every connection and, through that lock,
// the main thread. So the connection is waited for on a thread of its own,
// for at most `patienceMs`; past that, the sockets Qt has opened to the bus
// since are shut down, so that Qt's wait ends at once and Qt closes what it
// made. A bus is probed (BusProbe) before it is connected to, so this is the
// rare bus that answered the probe and not Qt.
class BusConnector {
 public:
  // `done` runs on the main thread, once, unless the connector goes first:
  // true with the connection `name` connected; false when it failed or took
  // too long, the name then already disconnected.
  BusConnector(const std::string& address, UnixSocketAddress socket, QString name, int patienceMs,
               std::function<void(bool)> done);
  // Ends a connection still being made the same way, and waits for that.
  ~BusConnector();
  BusConnector(const BusConnector&) = delete;
  BusConnector& operator=(const BusConnector&) = delete;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

}  // namespace vellicor::qt
