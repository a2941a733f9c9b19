#include "platform/qt/sources/ibus_bus.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <optional>
#include <utility>

#include "platform/qt/sources/ibus_address.h"

namespace vellicor::qt {
namespace {

// Read as ibus-daemon reads it, with the same stand-in when the machine has no id.
std::string machineId() {
  for (const char* path : {"/var/lib/dbus/machine-id", "/etc/machine-id"}) {
    QFile file(QString::fromLatin1(path));
    if (file.open(QIODevice::ReadOnly)) {
      const QByteArray id = file.readAll().trimmed();
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

}  // namespace

IBusBus::IBusBus(std::function<void()> connected, std::function<void()> disconnected)
    : connected_(std::move(connected)), disconnected_(std::move(disconnected)) {
  QObject::connect(&files_, &QFileSystemWatcher::directoryChanged, this, [this] { look(); });
  QObject::connect(&files_, &QFileSystemWatcher::fileChanged, this, [this] { look(); });
}

IBusBus::~IBusBus() {
  drop();
}

void IBusBus::busDisconnected() {
  drop();
  disconnected_();
  // A daemon started again rewrites its address file.
  look();
}

// Watches the address file, or the nearest folder above it that exists, and
// connects when an address there differs from the one in use.
void IBusBus::look() {
  if (!files_.files().isEmpty()) {
    files_.removePaths(files_.files());
  }
  if (!files_.directories().isEmpty()) {
    files_.removePaths(files_.directories());
  }
  const QByteArray fromEnvironment = qgetenv("IBUS_ADDRESS");
  std::optional<std::string> address;
  if (!fromEnvironment.isEmpty()) {
    address = fromEnvironment.toStdString();
  } else if (const auto path = addressFilePath()) {
    QFile file(*path);
    if (file.open(QIODevice::ReadOnly)) {
      address = ibusAddressFromFile(file.readAll().toStdString());
      files_.addPath(*path);
    }
    QString folder = QFileInfo(*path).absolutePath();
    while (!QDir(folder).exists() && folder.count(QLatin1Char('/')) > 1) {
      folder = folder.section(QLatin1Char('/'), 0, -2);
    }
    files_.addPath(folder);
  }
  if (address && *address != address_) {
    connectTo(*address);
  }
}

void IBusBus::connectTo(const std::string& address) {
  const bool had = !name_.isEmpty();
  drop();
  if (had) {
    disconnected_();
  }
  name_ = QStringLiteral("vellicor-ibus-%1").arg(++connections_);
  QDBusConnection bus = QDBusConnection::connectToBus(QString::fromStdString(address), name_);
  if (!bus.isConnected()) {
    QDBusConnection::disconnectFromBus(name_);
    name_.clear();
    return;
  }
  address_ = address;
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
