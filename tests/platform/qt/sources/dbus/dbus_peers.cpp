#include "platform/qt/sources/dbus/dbus_peers.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace vellicor::qt {
namespace {

const QString kPath = QStringLiteral("/test");
const QString kInterface = QStringLiteral("test.Peers");
const QString kSignal = QStringLiteral("Value");
int connections = 0;

template <class Done>
bool waitFor(Done done) {
  const QDeadlineTimer deadline(5000);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return done();
}

}  // namespace

DBusPeers::DBusPeers()
    : server_(std::make_unique<QDBusServer>(QStringLiteral("unix:dir=") + dir_.path())) {
  server_->setAnonymousAuthenticationAllowed(true);
  connect(server_.get(), &QDBusServer::newConnection, this, [this](const QDBusConnection& c) {
    receiving_ = c;
    receiving_->connect(QString(), kPath, kInterface, kSignal, this, SLOT(received(QDBusMessage)));
  });
  const QString name = QStringLiteral("peer-%1").arg(++connections);
  sending_ = QDBusConnection::connectToPeer(server_->address(), name);
  waitFor([this] { return receiving_.has_value(); });
}

DBusPeers::~DBusPeers() {
  if (sending_) {
    QDBusConnection::disconnectFromPeer(sending_->name());
  }
}

bool DBusPeers::connected() const {
  return sending_ && sending_->isConnected() && receiving_ && receiving_->isConnected();
}

std::optional<QDBusMessage> DBusPeers::deliver(const QList<QVariant>& arguments) {
  received_.reset();
  QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, kSignal);
  signal.setArguments(arguments);
  if (!sending_->send(signal)) {
    return std::nullopt;
  }
  waitFor([this] { return received_.has_value(); });
  return received_;
}

void DBusPeers::received(const QDBusMessage& message) {
  received_ = message;
}

}  // namespace vellicor::qt
