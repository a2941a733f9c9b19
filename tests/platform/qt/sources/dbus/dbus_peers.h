#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServer>
#include <QObject>
#include <QTemporaryDir>
#include <memory>
#include <optional>

namespace vellicor::qt {

// Two ends of a private D-Bus connection in this process, no bus daemon
// between them: what one end sends, the other receives as libdbus and QtDBus
// hand it to a program, with its arguments read from the wire.
class DBusPeers final : public QObject {
  Q_OBJECT

 public:
  DBusPeers();
  ~DBusPeers() override;

  bool connected() const;
  // Sends a signal carrying `arguments` from one end; the message as the
  // other end received it, or none if it did not arrive within five seconds
  // (libdbus refuses to send what D-Bus does not allow).
  std::optional<QDBusMessage> deliver(const QList<QVariant>& arguments);

 private slots:
  void received(const QDBusMessage& message);

 private:
  QTemporaryDir dir_;
  std::unique_ptr<QDBusServer> server_;
  std::optional<QDBusConnection> receiving_;
  std::optional<QDBusConnection> sending_;
  std::optional<QDBusMessage> received_;
};

}  // namespace vellicor::qt
