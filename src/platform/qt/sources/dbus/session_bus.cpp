#include "platform/qt/sources/dbus/session_bus.h"

#include <sys/stat.h>

#include <QByteArray>
#include <QDBusConnection>
#include <optional>
#include <utility>

#include "platform/common/private_paths.h"
#include "platform/qt/sources/dbus/bus_connector.h"
#include "platform/qt/sources/dbus/bus_probe.h"
#include "platform/qt/sources/dbus/dbus_address.h"

namespace vellicor::qt {
namespace {

constexpr char kVariable[] = "DBUS_SESSION_BUS_ADDRESS";
constexpr char kNoBus[] = "disabled:";
const QString kConnection = QStringLiteral("vellicor-session");
// How long the start waits for the bus to answer before Qt goes without it.
constexpr int kPatienceMs = 1000;

// How long the program's own connection may take once the bus has answered
// the probe, and how many times a bus that does not take it is tried.
constexpr int kConnectPatienceMs = 2000;
constexpr int kMostAttempts = 3;

// The runtime directory's bus, when it is one this user can trust; else none,
// with why in `passedOver` when there is something there.
std::optional<UnixSocketAddress> runtimeBus(std::string& passedOver) {
  const QByteArray dir = qgetenv("XDG_RUNTIME_DIR");
  if (!dir.startsWith('/')) {
    return std::nullopt;
  }
  const std::string path = dir.toStdString() + "/bus";
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0) {
    return std::nullopt;  // nothing there: no bus to pass over
  }
  const std::string why = whyNotPrivateSocket(path);
  if (!why.empty()) {
    passedOver = path + ": " + why;
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
  } else if ((socket = runtimeBus(found.passedOver))) {
    found.address = socketPathAddress(socket->path);
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
  if (!found.passedOver.empty()) {
    note_("session bus: passed over " + found.passedOver +
          "; without a bus, Fcitx5 and the session's own layout service are not followed");
  }
  // With a bus that answered, the program's own connection is waited for:
  // only then is it known whether the services on it can be followed.
  if (found.answered) {
    connect();
  } else {
    settle();
  }
  // A bus that is there but stopped or hung may go on later; one that is
  // absent (nothing listens at its socket) is not waited for.
  if (found.silent && localSocketAddress(address_)) {
    note_(
        "the session bus does not answer: Vellicor goes on without it, and follows Fcitx5 once it "
        "answers");
    probe();
  }
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

void SessionBus::probe() {
  probe_ = std::make_unique<BusProbe>(
      *localSocketAddress(address_),
      [this](BusProbe::Outcome outcome) { probed(outcome == BusProbe::Outcome::Answers); });
}

void SessionBus::probed(bool answers) {
  if (answers) {
    note_("the session bus answers now");
    connect();
  }
}

void SessionBus::connect() {
  ++attempts_;
  connector_ =
      std::make_unique<BusConnector>(address_, *localSocketAddress(address_), kConnection,
                                     kConnectPatienceMs, [this](bool made) { connected(made); });
}

void SessionBus::connected(bool made) {
  if (!made) {
    settle();
    if (attempts_ < kMostAttempts) {
      note_("the session bus did not take Vellicor's connection in time: it is asked again");
      probe();
    } else {
      note_("the session bus did not take Vellicor's connection in time, " +
            std::to_string(kMostAttempts) + " times: Vellicor goes on without it");
    }
    return;
  }
  answered_ = true;
  auto answering = std::move(answering_);
  answering_.clear();
  for (auto& use : answering) {
    use();
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
