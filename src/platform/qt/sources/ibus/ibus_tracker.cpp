#include "platform/qt/sources/ibus/ibus_tracker.h"

#include <QDBusConnection>
#include <utility>

#include "platform/qt/sources/dbus/dbus_calls.h"
#include "platform/qt/sources/dbus/dbus_value_reader.h"
#include "platform/qt/sources/ibus/hangul_settings.h"
#include "platform/qt/sources/ibus/ibus_bus.h"
#include "platform/qt/sources/ibus/ibus_components.h"

namespace vellicor::qt {
namespace {

const QString kService = QStringLiteral("org.freedesktop.IBus");
const QString kPath = QStringLiteral("/org/freedesktop/IBus");
const QString kInterface = QStringLiteral("org.freedesktop.IBus");
const QString kEngineInterface = QStringLiteral("org.freedesktop.IBus.Engine");

}  // namespace

IBusTracker::IBusTracker(GioLibrary& gio, std::function<void()> changed,
                         std::function<void(const std::string&)> note,
                         std::function<std::optional<std::string>()> layout)
    : gio_(gio), changed_(std::move(changed)), state_(note), layout_(std::move(layout)) {
  bus_ = std::make_unique<IBusBus>([this] { connected(); }, [this] { disconnected(); },
                                   [this] {
                                     if (!settled_) {
                                       settled_ = true;
                                       changed_();
                                     }
                                   },
                                   std::move(note));
  bus_->start();
}

IBusTracker::~IBusTracker() = default;

std::optional<NamedSource> IBusTracker::current() const {
  return state_.current(layout_ ? layout_() : std::nullopt);
}

void IBusTracker::connected() {
  QDBusConnection bus(bus_->connection());
  bus.connect(QString(), kPath, kInterface, QStringLiteral("GlobalEngineChanged"), this,
              SLOT(globalEngineChanged(QString)));
  // These two signals only: a rule for the whole engine interface would also
  // bring the text that applications commit.
  bus.connect(QString(), QString(), kEngineInterface, QStringLiteral("RegisterProperties"), this,
              SLOT(registerProperties(QDBusMessage)));
  bus.connect(QString(), QString(), kEngineInterface, QStringLiteral("UpdateProperty"), this,
              SLOT(updateProperty(QDBusMessage)));
  queryEngine();
}

void IBusTracker::disconnected() {
  ++generation_;
  askingEngine_ = false;
  askEngineAgain_ = false;
  component_.clear();
  components_.clear();
  askingOwner_.clear();
  state_.setEngine(std::nullopt, std::nullopt);
  changed_();
}

void IBusTracker::globalEngineChanged(const QString&) {
  queryEngine();
}

// One question at a time: any client of IBus's bus may send
// GlobalEngineChanged, and a flood of it asks once more after the answer
// under way, not once for each.
void IBusTracker::queryEngine() {
  if (askingEngine_) {
    askEngineAgain_ = true;
    return;
  }
  askingEngine_ = true;
  askEngineAgain_ = false;
  QDBusMessage get = QDBusMessage::createMethodCall(
      kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << kInterface << QStringLiteral("GlobalEngine");
  const int asked = ++generation_;
  callAll(this, QDBusConnection(bus_->connection()), {get},
          [this, asked](const std::vector<QDBusMessage>& replies) {
            if (asked != generation_) {
              return;
            }
            askingEngine_ = false;
            engineAnswered(replies.front());
            if (askEngineAgain_) {
              queryEngine();
            }
          });
}

// An error is "no engine chosen yet", or another framework answering on IBus's
// address: either way IBus names nothing and the next tracker speaks.
void IBusTracker::engineAnswered(const QDBusMessage& reply) {
  std::optional<IBusEngine> engine;
  if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
    engine = engineFromDescription(readDBusValue(reply.arguments().front()));
  }
  component_.clear();
  settled_ = true;
  if (!engine || !namesByMode(*engine)) {
    state_.setEngine(engine, std::nullopt);
    changed_();
    return;
  }
  state_.setEngine(engine, modeFromSetting(hangulInitialInputMode(gio_)));
  // The component files are read once per engine and daemon.
  const QString name = QString::fromStdString(engine->name);
  const auto known = components_.find(name);
  component_ =
      known != components_.end() ? known->second : (components_[name] = ibusComponentOf(name));
  if (component_.isEmpty()) {
    state_.setEngineSender({});
  } else {
    askEngineOwner();
  }
  changed_();
}

// The engine's component owns its name on the bus once its process runs; the
// owner is asked again at the next mode signal from any other connection.
void IBusTracker::askEngineOwner() {
  if (component_.isEmpty() || askingOwner_ == component_) {
    return;
  }
  askingOwner_ = component_;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetNameOwner"));
  call << component_;
  const int asked = generation_;
  const QString component = component_;
  callAll(this, QDBusConnection(bus_->connection()), {call},
          [this, asked, component](const std::vector<QDBusMessage>& replies) {
            const QDBusMessage& reply = replies.front();
            if (askingOwner_ == component) {
              askingOwner_.clear();
            }
            // The owner of a name asked for an earlier engine says nothing of this one.
            if (asked != generation_ || component != component_) {
              return;
            }
            if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
              return;  // not running yet
            }
            if (state_.setEngineSender(reply.arguments().front().toString().toStdString())) {
              changed_();
            }
          });
}

void IBusTracker::registerProperties(const QDBusMessage& message) {
  properties(message, true);
}

void IBusTracker::updateProperty(const QDBusMessage& message) {
  properties(message, false);
}

// Any client of IBus's bus can send these signals: they are read only while
// a mode can be followed, and the reading is bounded whatever they hold.
void IBusTracker::properties(const QDBusMessage& message, bool list) {
  if (!state_.followsModes() || message.arguments().isEmpty()) {
    return;
  }
  const DBusValue value = readDBusValue(message.arguments().front());
  if (state_.onProperties(message.service().toStdString(), value, list)) {
    changed_();
  }
  if (state_.wantsSender()) {
    askEngineOwner();
  }
}

}  // namespace vellicor::qt
