#include "platform/qt/tray_presence.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <utility>

#include "platform/qt/sources/dbus/dbus_calls.h"
#include "platform/qt/sources/dbus/session_bus.h"
#include "platform/qt/x11/selection_watch.h"

namespace vellicor::qt {
namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

}  // namespace

TrayPresence::TrayPresence(SessionBus& sessionBus, std::function<void(bool)> changed)
    : changed_(std::move(changed)) {
  xembed_ = SelectionWatch::open("_NET_SYSTEM_TRAY_S", [this](bool) { update(); });
  sessionBus.whenAnswers([this] { watchNotifiers(); });
  sessionBus.whenSettled([this] {
    if (!asking_) {
      known_ = true;
      update();
    }
  });
}

TrayPresence::~TrayPresence() = default;

void TrayPresence::watchNotifiers() {
  QDBusConnection bus(SessionBus::connectionName());
  watcher_.setConnection(bus);
  watcher_.addWatchedService(kWatcher);
  connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString&, const QString& owner) {
            notifierHost_ = false;
            if (!owner.isEmpty()) {
              askHost();
            }
            update();
          });
  bus.connect(kWatcher, kWatcherPath, kWatcher, QStringLiteral("StatusNotifierHostRegistered"),
              this, SLOT(hostRegistered()));
  askHost();
}

void TrayPresence::hostRegistered() {
  notifierHost_ = true;
  update();
}

// A watcher that is there but has no host shows nothing yet.
void TrayPresence::askHost() {
  QDBusMessage get = QDBusMessage::createMethodCall(
      kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("Get"));
  get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
  get.setAutoStartService(false);
  asking_ = true;
  callAll(this, QDBusConnection(SessionBus::connectionName()), {get},
          [this](const std::vector<QDBusMessage>& replies) {
            asking_ = false;
            const QDBusMessage& reply = replies.front();
            if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
              notifierHost_ = notifierHost_ ||
                              reply.arguments().front().value<QDBusVariant>().variant().toBool();
            }
            known_ = true;
            update();
          });
}

void TrayPresence::update() {
  if (!known_) {
    return;
  }
  const bool now = (xembed_ && xembed_->owned()) || notifierHost_;
  if (now != present_ || !reported_) {
    present_ = now;
    reported_ = true;
    changed_(present_);
  }
}

}  // namespace vellicor::qt
