#include "platform/qt/ibus_watch.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QObject>
#include <QStandardPaths>
#include <utility>

#include "platform/qt/ibus_address.h"

namespace vellicor::qt {
namespace {

const QString kService = QStringLiteral("org.freedesktop.IBus");
const QString kPath = QStringLiteral("/org/freedesktop/IBus");
const QString kInterface = QStringLiteral("org.freedesktop.IBus");

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

QString busDirectory() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/ibus/bus");
}

// IBus serialises an engine description as a variant holding a structure that
// starts with its type name, a dictionary of attachments, the engine's name
// and its long name.
std::optional<GroupSource> engineFrom(const QDBusMessage& reply) {
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
    return std::nullopt;
  }
  QVariant value = reply.arguments().front();
  while (value.userType() == qMetaTypeId<QDBusVariant>()) {
    value = value.value<QDBusVariant>().variant();
  }
  if (value.userType() != qMetaTypeId<QDBusArgument>()) {
    return std::nullopt;
  }
  const auto description = value.value<QDBusArgument>();
  if (!description.currentSignature().startsWith(QStringLiteral("(sa{sv}ss"))) {
    return std::nullopt;
  }
  QString type, name, longName;
  QVariantMap attachments;
  description.beginStructure();
  description >> type >> attachments >> name >> longName;
  GroupSource source;
  if (!longName.isEmpty()) {
    source.localizedName = longName.toStdString();
  }
  if (!name.isEmpty()) {
    source.identifier = name.toStdString();
  }
  return source;
}

}  // namespace

class IBusWatch::Impl : public QObject {
  Q_OBJECT

 public:
  explicit Impl(std::function<void()> changed) : changed_(std::move(changed)) {
    QObject::connect(&files_, &QFileSystemWatcher::directoryChanged, this, [this] { look(); });
    QObject::connect(&files_, &QFileSystemWatcher::fileChanged, this, [this] { look(); });
    look();
  }
  ~Impl() override { drop(); }

  std::optional<GroupSource> engine;

 public slots:
  void globalEngineChanged(const QString&) { query(); }
  void disconnected() {
    drop();
    changed_();
    // A daemon started again rewrites its address file.
    look();
  }

 private:
  // Watches the address file, or the nearest folder above it that exists, and
  // connects when an address there differs from the one in use.
  void look() {
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
    } else {
      const auto name = ibusAddressFileName(qgetenv("DISPLAY").toStdString(), machineId());
      QString folder = busDirectory();
      if (name) {
        const QString path = folder + QLatin1Char('/') + QString::fromStdString(*name);
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
          address = ibusAddressFromFile(file.readAll().toStdString());
          files_.addPath(path);
        }
      }
      while (!QDir(folder).exists() && folder.count(QLatin1Char('/')) > 1) {
        folder = folder.section(QLatin1Char('/'), 0, -2);
      }
      files_.addPath(folder);
    }
    if (address && *address != address_) {
      connectTo(*address);
    }
  }

  void connectTo(const std::string& address) {
    drop();
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
                SLOT(disconnected()));
    bus.connect(QString(), kPath, kInterface, QStringLiteral("GlobalEngineChanged"), this,
                SLOT(globalEngineChanged(QString)));
    query();
  }

  void query() {
    if (name_.isEmpty()) {
      return;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << QStringLiteral("GlobalEngine");
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection(name_).asyncCall(get), this);
    const QString asked = name_;
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, asked] {
      watcher->deleteLater();
      if (asked != name_) {
        return;  // an answer from a bus since let go
      }
      // "No global engine" before the first choice: XKB speaks.
      engine = engineFrom(watcher->reply());
      changed_();
    });
  }

  void drop() {
    engine.reset();
    address_.clear();
    if (!name_.isEmpty()) {
      QDBusConnection::disconnectFromBus(name_);
      name_.clear();
    }
  }

  std::function<void()> changed_;
  QFileSystemWatcher files_;
  QString name_;
  std::string address_;
  int connections_ = 0;
};

IBusWatch::IBusWatch(std::function<void()> changed)
    : impl_(std::make_unique<Impl>(std::move(changed))) {}

IBusWatch::~IBusWatch() = default;

std::optional<GroupSource> IBusWatch::current() const {
  return impl_->engine;
}

}  // namespace vellicor::qt

#include "ibus_watch.moc"
