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
// How long the start waits for the bus to answer before Qt goes without it.
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

SessionBus::Found SessionBus::findBeforeQt() {
  Found found;
  found.given = qgetenv(kVariable).toStdString();
  std::optional<UnixSocketAddress> socket = localSocketAddress(found.given);
  if (socket) {
    found.address = found.given;
  } else if ((socket = runtimeBus())) {
    found.address = "unix:path=" + socket->path;
  }
  if (socket) {
    const auto outcome = BusProbe::within(*socket, kPatienceMs);
    found.answered = outcome == BusProbe::Outcome::Answers;
    found.silent = !outcome.has_value();
  }
  qputenv(kVariable, found.answered ? QByteArray::fromStdString(found.address) : kNoBus);
  return found;
}

SessionBus::SessionBus(const Found& found, std::function<void(const std::string&)> note)
    : note_(std::move(note)), address_(found.address) {
  if (!found.given.empty() && found.given != address_) {
    note_("session bus: refused the address " + found.given +
          " from DBUS_SESSION_BUS_ADDRESS: only unix:path= and unix:abstract= addresses are used");
  }
  settle();
  if (found.answered) {
    connect();
  }
  // A bus that is there but stopped or hung may go on later; one that is
  // absent (nothing listens at its socket) is not waited for.
  const std::optional<UnixSocketAddress> socket = localSocketAddress(address_);
  if (!found.silent || !socket) {
    return;
  }
  note_(
      "the session bus does not answer: Vellicor goes on without it, and follows Fcitx5 once it "
      "answers");
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
  if (answers) {
    note_("the session bus answers now");
    connect();
  }
}

void SessionBus::connect() {
  answered_ =
      QDBusConnection::connectToBus(QString::fromStdString(address_), kConnection).isConnected();
  if (!answered_) {
    QDBusConnection::disconnectFromBus(kConnection);
    return;
  }
  auto answering = std::move(answering_);
  answering_.clear();
  for (auto& use : answering) {
    use();
  }
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
