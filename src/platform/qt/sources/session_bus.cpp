#include "platform/qt/sources/session_bus.h"

#include <sys/stat.h>

#include <QByteArray>
#include <QDBusConnection>
#include <optional>
#include <utility>

#include "platform/qt/sources/bus_probe.h"
#include "platform/qt/sources/dbus_address.h"

namespace vellicor::qt {
namespace {

constexpr char kVariable[] = "DBUS_SESSION_BUS_ADDRESS";
constexpr char kNoBus[] = "disabled:";
const QString kConnection = QStringLiteral("vellicor-session");
// How long Qt's own uses of the bus wait for it to answer.
constexpr int kPatienceMs = 1000;

std::optional<UnixSocketAddress> runtimeBus() {
  const QByteArray dir = qgetenv("XDG_RUNTIME_DIR");
  if (!dir.startsWith('/')) {
    return std::nullopt;
  }
  const std::string path = dir.toStdString() + "/bus";
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) {
    return std::nullopt;
  }
  return UnixSocketAddress{false, path};
}

}  // namespace

SessionBus::SessionBus(std::function<void(const std::string&)> note) : note_(std::move(note)) {
  const QByteArray given = qgetenv(kVariable);
  std::optional<UnixSocketAddress> socket = localSocketAddress(given.toStdString());
  if (socket) {
    address_ = given.toStdString();
  } else {
    if (!given.isEmpty()) {
      note_(
          "session bus: refused the address " + given.toStdString() +
          " from DBUS_SESSION_BUS_ADDRESS: only unix:path= and unix:abstract= addresses are used");
    }
    socket = runtimeBus();
    if (socket) {
      address_ = "unix:path=" + socket->path;
    }
  }
  qputenv(kVariable, kNoBus);
  if (!socket) {
    settle();
    return;
  }
  patience_.setSingleShot(true);
  patience_.setInterval(kPatienceMs);
  QObject::connect(&patience_, &QTimer::timeout, [this] {
    gaveUp_ = true;
    note_(
        "the session bus does not answer: Vellicor goes on without it, and follows Fcitx5 "
        "once it answers");
    settle();
  });
  patience_.start();
  probe_ = std::make_unique<BusProbe>(*socket, [this](BusProbe::Outcome outcome) {
    probed(outcome == BusProbe::Outcome::Answers);
  });
}

SessionBus::~SessionBus() {
  if (answered_) {
    QDBusConnection::disconnectFromBus(kConnection);
  }
}

void SessionBus::whenSettled(std::function<void()> use) {
  if (settled_) {
    use();
  } else {
    settling_.push_back(std::move(use));
  }
}

void SessionBus::whenAnswers(std::function<void()> use) {
  if (answered_) {
    use();
  } else {
    answering_.push_back(std::move(use));
  }
}

bool SessionBus::namedToLibraries() {
  return qgetenv(kVariable) != kNoBus;
}

QString SessionBus::connectionName() {
  return kConnection;
}

void SessionBus::probed(bool answers) {
  patience_.stop();
  if (answers && !gaveUp_) {
    // Qt's own uses may have the bus now: they will not wait on it.
    qputenv(kVariable, QByteArray::fromStdString(address_));
  } else if (answers) {
    note_("the session bus answers now");
  }
  if (answers) {
    answered_ =
        QDBusConnection::connectToBus(QString::fromStdString(address_), kConnection).isConnected();
    if (!answered_) {
      QDBusConnection::disconnectFromBus(kConnection);
    }
  }
  auto answering = std::move(answering_);
  answering_.clear();
  if (answered_) {
    for (auto& use : answering) {
      use();
    }
  }
  settle();
}

void SessionBus::settle() {
  if (settled_) {
    return;
  }
  settled_ = true;
  auto settling = std::move(settling_);
  settling_.clear();
  for (auto& use : settling) {
    use();
  }
}

}  // namespace vellicor::qt
