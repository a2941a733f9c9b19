#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <string>

#include "x_test_client.h"

namespace vellicor::e2e {

// A client of IBus's bus of its own, as a panel or any other program on the
// desktop is: at `address`, or at the address `ibus address` names.
class IBusClient : public QObject {
  Q_OBJECT

 public:
  explicit IBusClient(std::string address = {});
  ~IBusClient() override;
  IBusClient(const IBusClient&) = delete;
  IBusClient& operator=(const IBusClient&) = delete;

  bool connected() const { return bus_->isConnected(); }

  // Switches the Hangul engine's mode as a panel's 한/EN button does, asking
  // for `state` (1 Hangul, 0 Latin), and waits, running the event loop, until
  // the engine announces a mode; false if it never does. ibus-hangul switches
  // at every request, whatever state it names, so a second request while the
  // first is on its way would switch back: the engine is asked again only when
  // it has said nothing for two seconds (one that has just started may drop a
  // request). Engines do not answer the request itself.
  bool toggleInputMode(unsigned state);
  // An UpdateProperty signal from this connection, whatever `property` holds.
  void sendUpdateProperty(const QVariant& property);

 private slots:
  void updateProperty(const QDBusMessage& message);

 private:
  // The engine objects the Hangul engine's process serves now (one for each
  // input context that uses it); none while it does not run.
  QStringList hangulEngines() const;
  QString ownerOf(const QString& name) const;

  std::unique_ptr<QDBusConnection> bus_;
  QString engineOwner_;    // the connection that serves the Hangul engines
  int engineUpdates_ = 0;  // the properties it has announced since asked
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
