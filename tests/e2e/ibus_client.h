#pragma once

#include <QDBusConnection>
#include <QVariant>
#include <memory>
#include <string>

#include "x_test_client.h"

namespace vellicor::e2e {

// A client of IBus's bus of its own, as a panel or any other program on the
// desktop is: at `address`, or at the address `ibus address` names.
class IBusClient {
 public:
  explicit IBusClient(std::string address = {});
  ~IBusClient();
  IBusClient(const IBusClient&) = delete;
  IBusClient& operator=(const IBusClient&) = delete;

  bool connected() const { return bus_->isConnected(); }

  // Asks the Hangul engine for a mode as a panel's 한/EN button does: 1 Hangul, 0 Latin.
  void activateInputMode(unsigned state);
  // An UpdateProperty signal from this connection, whatever `property` holds.
  void sendUpdateProperty(const QVariant& property);

 private:
  std::unique_ptr<QDBusConnection> bus_;
};

// ibus-daemon at an address of the test's own, with the panel off; stopped
// when this goes.
class IBusDaemon {
 public:
  // A socket path in /tmp named for `label`.
  explicit IBusDaemon(const std::string& label);
  ~IBusDaemon();
  IBusDaemon(const IBusDaemon&) = delete;
  IBusDaemon& operator=(const IBusDaemon&) = delete;

  // Starts (again) and waits until it answers; false, with the reason, if it cannot.
  bool start(std::string& why);
  void stop();
  const std::string& address() const { return address_; }
  Child* process() const { return daemon_.get(); }
  // `ibus engine NAME` on this daemon.
  bool selectEngine(const std::string& engine) const;

 private:
  std::string socket_;
  std::string address_;
  std::unique_ptr<Child> daemon_;
};

}  // namespace vellicor::e2e
