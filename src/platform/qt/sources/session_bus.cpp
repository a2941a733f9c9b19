#include "platform/qt/sources/session_bus.h"

#include <sys/stat.h>

#include <QByteArray>
#include <optional>
#include <utility>

#include "platform/qt/sources/bus_probe.h"
#include "platform/qt/sources/dbus_address.h"

namespace vellicor::qt {
namespace {

constexpr char kVariable[] = "DBUS_SESSION_BUS_ADDRESS";
// After this long without an answer the log says what waits for the bus.
constexpr int kSlowMs = 2000;

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
  if (!socket) {
    if (!given.isEmpty()) {
      note_("session bus: ignored the address in DBUS_SESSION_BUS_ADDRESS (" + given.toStdString() +
            "): only unix:path= and unix:abstract= addresses are used");
    }
    socket = runtimeBus();
    // What libdbus connects to is what was probed, or nothing: "disabled:" is
    // no transport libdbus knows, so it fails at once instead of starting a
    // bus of its own.
    if (socket) {
      qputenv(kVariable, QByteArray("unix:path=") + QByteArray::fromStdString(socket->path));
    } else {
      qputenv(kVariable, "disabled:");
    }
  }
  if (!socket) {
    ready_ = true;
    return;
  }
  slow_.setSingleShot(true);
  slow_.setInterval(kSlowMs);
  QObject::connect(&slow_, &QTimer::timeout, [this] {
    saidSlow_ = true;
    note_("the session bus does not answer: the tray icon and Fcitx5 wait for it");
  });
  slow_.start();
  probe_ = std::make_unique<BusProbe>(*socket, [this](BusProbe::Outcome) { becomeReady(); });
}

SessionBus::~SessionBus() = default;

void SessionBus::whenReady(std::function<void()> use) {
  if (ready_) {
    use();
  } else {
    waiting_.push_back(std::move(use));
  }
}

void SessionBus::becomeReady() {
  slow_.stop();
  ready_ = true;
  if (saidSlow_) {
    note_("the session bus answers now");
  }
  auto waiting = std::move(waiting_);
  waiting_.clear();
  for (auto& use : waiting) {
    use();
  }
}

}  // namespace vellicor::qt
