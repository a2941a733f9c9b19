#include "platform/qt/screen_reader_watch.h"

#include <QAccessible>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QTimer>
#include <QVariantMap>
#include <utility>

#include "platform/qt/sources/dbus/session_bus.h"

namespace vellicor::qt {
namespace {

const QString kService = QStringLiteral("org.a11y.Bus");
const QString kPath = QStringLiteral("/org/a11y/bus");
// How long Qt is given to turn its bridge on by itself.
constexpr int kQtsOwnMs = 1000;

// Whether a PropertiesChanged of org.a11y.Status turns a screen reader or an
// assistive technology on; a value of another type than a boolean says nothing.
bool turnsOn(const QDBusMessage& message) {
  const QList<QVariant> arguments = message.arguments();
  if (arguments.size() < 2 || arguments[0].toString() != QStringLiteral("org.a11y.Status")) {
    return false;
  }
  QVariantMap changed;
  if (arguments[1].userType() == qMetaTypeId<QDBusArgument>()) {
    const QDBusArgument argument = arguments[1].value<QDBusArgument>();
    if (argument.currentSignature() != QStringLiteral("a{sv}")) {
      return false;
    }
    argument >> changed;
  } else {
    changed = arguments[1].toMap();
  }
  for (const QString& key : {QStringLiteral("ScreenReaderEnabled"), QStringLiteral("IsEnabled")}) {
    QVariant value = changed.value(key);
    if (value.userType() == qMetaTypeId<QDBusVariant>()) {
      value = value.value<QDBusVariant>().variant();
    }
    if (value.userType() == QMetaType::Bool && value.toBool()) {
      return true;
    }
  }
  return false;
}

}  // namespace

ScreenReaderWatch::ScreenReaderWatch(SessionBus& sessionBus, std::function<void()> turnedOn)
    : turnedOn_(std::move(turnedOn)) {
  sessionBus.whenAnswers([this] {
    QDBusConnection(SessionBus::connectionName())
        .connect(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                 QStringLiteral("PropertiesChanged"), this, SLOT(propertiesChanged(QDBusMessage)));
  });
}

// Qt may hear the change itself (later Qt releases follow it): it is given a
// moment to turn its bridge on before the program starts again.
void ScreenReaderWatch::propertiesChanged(const QDBusMessage& message) {
  if (ran_ || QAccessible::isActive() || !turnsOn(message)) {
    return;
  }
  ran_ = true;
  QTimer::singleShot(kQtsOwnMs, this, [this] {
    if (!QAccessible::isActive()) {
      turnedOn_();
    }
  });
}

}  // namespace vellicor::qt
