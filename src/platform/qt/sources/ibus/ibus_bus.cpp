#include "platform/qt/sources/ibus/ibus_bus.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <optional>
#include <utility>

#include "platform/qt/sources/dbus/bus_connector.h"
#include "platform/qt/sources/dbus/bus_probe.h"
#include "platform/qt/sources/dbus/dbus_address.h"
#include "platform/qt/sources/ibus/ibus_address.h"

namespace vellicor::qt {
namespace {

constexpr int kFirstRetryMs = 250;
constexpr int kLongestRetryMs = 30000;
constexpr qint64 kGiveUpMs = 10 * 60 * 1000;
// How long the connection may take once the daemon has answered the probe.
constexpr int kConnectPatienceMs = 2000;

// Read as ibus-daemon reads it, with the same stand-in when the machine has no id.
std::string machineId() {
  for (const char* path : {"/var/lib/dbus/machine-id", "/etc/machine-id"}) {
    QFile file(QString::fromLatin1(path));
    if (file.open(QIODevice::ReadOnly)) {
      const QByteArray id = file.read(256).trimmed();
      if (!id.isEmpty()) {
        return id.toStdString();
      }
    }
  }
  return "machine-id";
}

// Where ibus-daemon writes its address for this session's display.
std::optional<QString> addressFilePath() {
  const QString named = qEnvironmentVariable("IBUS_ADDRESS_FILE");
  if (!named.isEmpty()) {
    return named;
  }
  const auto name = ibusAddressFileName(qgetenv("DISPLAY").toStdString(),
                                        qgetenv("WAYLAND_DISPLAY").toStdString(), machineId());
  if (!name) {
    return std::nullopt;
  }
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/ibus/bus/") + QString::fromStdString(*name);
}

// The folder a file is in, or the nearest one above it that exists.
QString nearestFolder(const QString& path) {
  QString folder = QFileInfo(path).absolutePath();
  while (!QDir(folder).exists() && folder.count(QLatin1Char('/')) > 1) {
    folder = folder.section(QLatin1Char('/'), 0, -2);
  }
  return folder;
}

}  // namespace

IBusBus::IBusBus(std::function<void()> connected, std::function<void()> disconnected,
                 std::function<void()> absent, std::function<void(const std::string&)> note)
    : connected_(std::move(connected)),
      disconnected_(std::move(disconnected)),
      absent_(std::move(absent)),
      note_(std::move(note)) {
  QObject::connect(&files_, &QFileSystemWatcher::directoryChanged, this, [this] { look(); });
  QObject::connect(&files_, &QFileSystemWatcher::fileChanged, this, [this] { look(); });
  retry_.setSingleShot(true);
  QObject::connect(&retry_, &QTimer::timeout, this, [this] { look(); });
}

IBusBus::~IBusBus() {
  drop();
}

void IBusBus::busDisconnected() {
  drop();
  disconnected_();
  // A daemon started again rewrites its address file, or comes back at the
  // address given.
  look();
}

// Only the paths that were not watched yet are added: a watch on a folder
// costs the kernel a walk over the entries it holds, which in /tmp can be many.
void IBusBus::keepWatching(QStringList wanted) {
  wanted.removeDuplicates();
  const QStringList watched = files_.files() + files_.directories();
  QStringList gone;
  for (const QString& path : watched) {
    if (!wanted.contains(path)) {
      gone << path;
    }
  }
  if (!gone.isEmpty()) {
    files_.removePaths(gone);
  }
  QStringList added;
  for (const QString& path : wanted) {
    if (!watched.contains(path)) {
      added << path;
    }
  }
  if (!added.isEmpty()) {
    files_.addPaths(added);
  }
}

// Reads the address anew, keeps the watches on where it may change, and
// probes an address that differs from the one in use.
void IBusBus::look() {
  QStringList watches;
  const QByteArray fromEnvironment = qgetenv("IBUS_ADDRESS");
  std::optional<std::string> address;
  std::string from = "IBUS_ADDRESS";
  if (!fromEnvironment.isEmpty()) {
    address = fromEnvironment.toStdString();
  } else if (const auto path = addressFilePath()) {
    QFile file(*path);
    if (file.open(QIODevice::ReadOnly)) {
      address = ibusAddressFromFile(file.read(64 * 1024).toStdString());
      watches << *path;
    }
    watches << nearestFolder(*path);
    from = "the file " + path->toStdString();
  }
  const auto socket = address ? localSocketAddress(*address) : std::nullopt;
  const QString socketPath =
      socket && !socket->abstract ? QString::fromStdString(socket->path) : QString();
  if (!socketPath.isEmpty()) {
    // Seen when a daemon makes its socket there again.
    watches << nearestFolder(socketPath);
  }
  keepWatching(watches);
  if (!address) {
    absent_();
    return;
  }
  if (!socket) {
    if (*address != refused_) {
      refused_ = *address;
      note_("IBus: refused the address " + *address + " from " + from +
            ": only unix:path= and unix:abstract= addresses are used");
    }
    absent_();
    return;
  }
  if (*address == address_ || *address == probing_) {
    return;
  }
  if (!socketPath.isEmpty() && !QFileInfo::exists(socketPath)) {
    // Nothing can answer there, and the folder's watch tells when a socket comes.
    absent_();
    return;
  }
  probe(*address);
}

void IBusBus::probe(const std::string& address) {
  probing_ = address;
  probe_ = std::make_unique<BusProbe>(*localSocketAddress(address),
                                      [this, address](BusProbe::Outcome outcome) {
                                        probed(address, outcome == BusProbe::Outcome::Answers);
                                      });
}

void IBusBus::probed(const std::string& address, bool answers) {
  if (answers) {
    retryMs_ = 0;
    connectTo(address);
    return;
  }
  probing_.clear();
  absent_();
  retryLater();
}

// Only where nothing watched would tell of a new daemon does the retry matter,
// but it costs nothing between tries, and it stops after ten minutes.
void IBusBus::retryLater() {
  if (retryMs_ == 0) {
    retryMs_ = kFirstRetryMs;
    failingFor_.start();
  } else {
    retryMs_ = std::min(retryMs_ * 2, kLongestRetryMs);
  }
  if (failingFor_.elapsed() < kGiveUpMs) {
    retry_.start(retryMs_);
  }
}

// The connection is made off the main thread; until it is, the address
// counts as being probed.
void IBusBus::connectTo(const std::string& address) {
  const bool had = !name_.isEmpty();
  drop();
  if (had) {
    disconnected_();
  }
  const QString name = QStringLiteral("vellicor-ibus-%1").arg(++connections_);
  connector_ = std::make_unique<BusConnector>(
      address, *localSocketAddress(address), name, kConnectPatienceMs,
      [this, address, name](bool made) { connected(address, name, made); });
}

void IBusBus::connected(const std::string& address, const QString& name, bool made) {
  probing_.clear();
  if (!made) {
    absent_();
    retryLater();
    return;
  }
  name_ = name;
  address_ = address;
  retry_.stop();
  QDBusConnection bus(name_);
  bus.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
              QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"), this,
              SLOT(busDisconnected()));
  connected_();
}

void IBusBus::drop() {
  address_.clear();
  if (!name_.isEmpty()) {
    QDBusConnection::disconnectFromBus(name_);
    name_.clear();
  }
}

}  // namespace vellicor::qt
