#include "ibus_client.h"

#include <unistd.h>

#include <QDBusMessage>
#include <QDBusVariant>
#include <csignal>
#include <cstdio>

#include "running_program.h"

namespace vellicor::e2e {
namespace {

int connections = 0;

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
}

IBusClient::~IBusClient() {
  QDBusConnection::disconnectFromBus(bus_->name());
}

void IBusClient::activateInputMode(unsigned state) {
  // Each engine made has a number of its own, counting up for the daemon's life.
  for (int engine = 1; engine <= 32; ++engine) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.IBus.Hangul"),
        QStringLiteral("/org/freedesktop/IBus/Engine/%1").arg(engine),
        QStringLiteral("org.freedesktop.IBus.Engine"), QStringLiteral("PropertyActivate"));
    call << QStringLiteral("InputMode") << state;
    // Engines do not answer this call.
    call.setAutoStartService(false);
    bus_->send(call);
  }
}

void IBusClient::sendUpdateProperty(const QVariant& property) {
  QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/IBus/Engine/1"),
                                                   QStringLiteral("org.freedesktop.IBus.Engine"),
                                                   QStringLiteral("UpdateProperty"));
  signal << QVariant::fromValue(QDBusVariant(property));
  bus_->send(signal);
}

IBusDaemon::IBusDaemon(const std::string& label)
    : socket_("/tmp/vellicor-" + label + "-" + std::to_string(getpid()) + ".ibus"),
      address_("unix:path=" + socket_) {}

IBusDaemon::~IBusDaemon() {
  stop();
}

bool IBusDaemon::start(std::string& why) {
  stop();
  daemon_ = std::make_unique<Child>(std::vector<std::string>{"ibus-daemon", "--panel=disable",
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
