#include "ibus_client.h"

#include <unistd.h>

#include <QDBusMessage>
#include <QDBusVariant>
#include <QRegularExpression>
#include <csignal>
#include <cstdio>

#include "program_under_test.h"
#include "running_program.h"
#include "scratch.h"

namespace vellicor::e2e {
namespace {

int connections = 0;

const QString kHangulService = QStringLiteral("org.freedesktop.IBus.Hangul");
const QString kEngines = QStringLiteral("/org/freedesktop/IBus/Engine");
const QString kEngineInterface = QStringLiteral("org.freedesktop.IBus.Engine");

}  // namespace

IBusClient::IBusClient(std::string address) {
  if (address.empty()) {
    address = commandOutput("ibus address");
    while (!address.empty() && address.back() == '\n') {
      address.pop_back();
    }
  }
  bus_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
      QString::fromStdString(address), QStringLiteral("test-ibus-%1").arg(++connections)));
  bus_->connect(QString(), QString(), kEngineInterface, QStringLiteral("UpdateProperty"), this,
                SLOT(updateProperty(QDBusMessage)));
}

IBusClient::~IBusClient() {
  QDBusConnection::disconnectFromBus(bus_->name());
}

bool IBusClient::toggleInputMode(unsigned state) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    QStringList engines;
    if (!pumpUntil([&] { return !(engines = hangulEngines()).isEmpty(); })) {
      return false;
    }
    engineOwner_ = ownerOf(kHangulService);
    const int before = engineUpdates_;
    for (const QString& path : engines) {
      QDBusMessage call = QDBusMessage::createMethodCall(kHangulService, path, kEngineInterface,
                                                         QStringLiteral("PropertyActivate"));
      call << QStringLiteral("InputMode") << state;
      call.setAutoStartService(false);
      bus_->send(call);
    }
    if (pumpUntil([&] { return engineUpdates_ > before; }, 2.0)) {
      return true;
    }
  }
  return false;
}

void IBusClient::updateProperty(const QDBusMessage& message) {
  if (!engineOwner_.isEmpty() && message.service() == engineOwner_) {
    ++engineUpdates_;
  }
}

QStringList IBusClient::hangulEngines() const {
  QDBusMessage call = QDBusMessage::createMethodCall(
      kHangulService, kEngines, QStringLiteral("org.freedesktop.DBus.Introspectable"),
      QStringLiteral("Introspect"));
  call.setAutoStartService(false);
  const QDBusMessage reply = bus_->call(call, QDBus::Block, 2000);
  QStringList paths;
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
    return paths;
  }
  static const QRegularExpression node(QStringLiteral("<node name=\"(\\d+)\""));
  for (auto found = node.globalMatch(reply.arguments().front().toString()); found.hasNext();) {
    paths << kEngines + QStringLiteral("/") + found.next().captured(1);
  }
  return paths;
}

QString IBusClient::ownerOf(const QString& name) const {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetNameOwner"));
  call << name;
  const QDBusMessage reply = bus_->call(call, QDBus::Block, 2000);
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
             ? reply.arguments().front().toString()
             : QString();
}

void IBusClient::sendUpdateProperty(const QVariant& property) {
  QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/IBus/Engine/1"),
                                                   QStringLiteral("org.freedesktop.IBus.Engine"),
                                                   QStringLiteral("UpdateProperty"));
  signal << QVariant::fromValue(QDBusVariant(property));
  bus_->send(signal);
}

IBusDaemon::IBusDaemon(const std::string& label)
    : socket_(scratchPath(label + ".ibus")), address_("unix:path=" + socket_) {}

IBusDaemon::~IBusDaemon() {
  stop();
}

bool IBusDaemon::start(std::string& why) {
  stop();
  // No panel and no emoji extension: the extension is a GTK program of its own
  // that joins the accessible desktop, and one that stalls as it starts holds
  // up every event a screen reader is waiting for.
  daemon_ = std::make_unique<Child>(
      std::vector<std::string>{"ibus-daemon", "--panel=disable", "--emoji-extension=disable",
                               "--replace", "--address=" + address_},
      socket_ + ".err");
  for (int i = 0; i < 100; ++i) {
    if (selectEngine("xkb:us::eng")) {
      return true;
    }
    if (daemon_->wait(0.1)) {
      why = "ibus-daemon exited at start: " + readFile(socket_ + ".err");
      return false;
    }
  }
  why = "ibus-daemon did not answer within 10 s";
  return false;
}

void IBusDaemon::stop() {
  if (daemon_) {
    daemon_->signal(SIGCONT);
    daemon_->signal(SIGTERM);
    if (!daemon_->wait(5)) {
      daemon_->signal(SIGKILL);
      daemon_->wait(5);
    }
    daemon_.reset();
  }
  std::remove(socket_.c_str());
}

bool IBusDaemon::selectEngine(const std::string& engine) const {
  return Child({"env", "IBUS_ADDRESS=" + address_, "ibus", "engine", engine}).wait(5) == 0;
}

}  // namespace vellicor::e2e
