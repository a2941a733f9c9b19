#include "platform/qt/sources/kwin/kwin_tracker.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <utility>

#include "platform/qt/sources/dbus/dbus_calls.h"
#include "platform/qt/sources/dbus/dbus_value_reader.h"
#include "platform/qt/sources/dbus/session_bus.h"

namespace vellicor::qt {
namespace {

const QString kKeyboard = QStringLiteral("org.kde.keyboard");
const QString kLayouts = QStringLiteral("/Layouts");
const QString kLayoutsInterface = QStringLiteral("org.kde.KeyboardLayouts");
const QString kKWin = QStringLiteral("org.kde.KWin");
// How long a switch waits for KWin to name the output in use: KWin answers
// within a few milliseconds, a frame or two is the most worth waiting.
constexpr int kOutputPatienceMs = 50;

QDBusMessage methodCall(const QString& service, const QString& path, const QString& interface,
                        const QString& method) {
  QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
  // Asking starts nothing through D-Bus activation.
  call.setAutoStartService(false);
  return call;
}

QDBusMessage layoutsCall(const QString& method) {
  return methodCall(kKeyboard, kLayouts, kLayoutsInterface, method);
}

QDBusMessage kwinCall(const QString& method) {
  return methodCall(kKWin, QStringLiteral("/KWin"), kKWin, method);
}

QDBusMessage nameHasOwner(const QString& name) {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
  call << name;
  return call;
}

bool isReply(const QDBusMessage& message) {
  return message.type() == QDBusMessage::ReplyMessage && !message.arguments().isEmpty();
}

DBusValue firstArgument(const QDBusMessage& message) {
  return readDBusValue(message.arguments().front());
}

// What a call answered, or Other when it failed.
DBusValue answer(const QDBusMessage& reply) {
  return isReply(reply) ? firstArgument(reply) : DBusValue{};
}

std::string why(const QDBusMessage& reply) {
  return reply.errorName().toStdString() + ": " + reply.errorMessage().toStdString();
}

}  // namespace

KWinTracker::KWinTracker(SessionBus& sessionBus, std::function<void()> changed,
                         std::function<void(const std::string&)> note)
    : changed_(std::move(changed)), note_(std::move(note)) {
  patience_.setSingleShot(true);
  patience_.setInterval(kOutputPatienceMs);
  connect(&patience_, &QTimer::timeout, this, [this] { announce(); });
  sessionBus.whenAnswers([this] { start(QDBusConnection(SessionBus::connectionName())); });
  // Without a session bus there is no layout service to wait for.
  sessionBus.whenSettled([this] {
    if (!started_) {
      settle();
    }
  });
}

KWinTracker::~KWinTracker() = default;

// Watches the layout service and KWin come and go, then asks once whether
// each is there now; nothing waits for the answers.
void KWinTracker::start(QDBusConnection bus) {
  started_ = true;
  bus_ = bus;
  keyboard_.setConnection(bus);
  keyboard_.addWatchedService(kKeyboard);
  kwin_.setConnection(bus);
  kwin_.addWatchedService(kKWin);
  connect(&keyboard_, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString&, const QString& owner) {
            vanished();
            if (!owner.isEmpty()) {
              appeared();
            }
          });
  connect(&kwin_, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString&, const QString& owner) {
            kwinPresent_ = !owner.isEmpty();
            outputs_.clear();
            activeName_.clear();
            output_.reset();
            readOutputs();
          });
  // Signals from whoever owns the service's name, and from no one else.
  bus.connect(kKeyboard, kLayouts, kLayoutsInterface, QStringLiteral("layoutChanged"), this,
              SLOT(layoutChanged(QDBusMessage)));
  bus.connect(kKeyboard, kLayouts, kLayoutsInterface, QStringLiteral("layoutListChanged"), this,
              SLOT(layoutListChanged()));
  callAll(this, bus, {nameHasOwner(kKeyboard), nameHasOwner(kKWin)},
          [this](const std::vector<QDBusMessage>& replies) {
            const auto has = [](const QDBusMessage& reply) {
              return isReply(reply) && reply.arguments().front().toBool();
            };
            // The watchers may have seen either arrive in the meantime.
            if (has(replies[1]) && !kwinPresent_) {
              kwinPresent_ = true;
              readOutputs();
            }
            if (has(replies[0]) && !present_) {
              appeared();
            } else if (!present_) {
              settle();
            }
          });
  watchScreens();
}

void KWinTracker::appeared() {
  present_ = true;
  ++generation_;
  readLayouts();
}

void KWinTracker::vanished() {
  if (!present_) {
    return;
  }
  present_ = false;
  ++generation_;
  layouts_.clear();
  pending_.reset();
  patience_.stop();
  const bool had = source_.has_value();
  source_.reset();
  if (had) {
    changed_();
  }
}

// One reading of the layouts at a time for each appearance of the service:
// a flood of layoutChanged with layouts KWin has not listed asks again once
// the reading under way has answered, not once for each.
void KWinTracker::readLayouts() {
  if (readingLayoutsOf_ == generation_) {
    readLayoutsAgain_ = true;
    return;
  }
  readingLayoutsOf_ = generation_;
  readLayoutsAgain_ = false;
  const int started = generation_;
  callAll(this, *bus_,
          {layoutsCall(QStringLiteral("getLayoutsList")), layoutsCall(QStringLiteral("getLayout"))},
          [this, started](const std::vector<QDBusMessage>& replies) {
            if (readingLayoutsOf_ == started) {
              readingLayoutsOf_.reset();
            }
            if (started != generation_) {
              return;
            }
            layoutsRead(replies);
            if (readLayoutsAgain_) {
              readLayoutsAgain_ = false;
              readLayouts();
            }
          });
}

void KWinTracker::layoutsRead(const std::vector<QDBusMessage>& replies) {
  for (const QDBusMessage& reply : replies) {
    if (!isReply(reply)) {
      noteOnce("layouts", "Plasma's layout service: could not read its layouts (" + why(reply) +
                              "); the last one stands");
      settle();
      return;
    }
  }
  noted_.erase("layouts");
  layouts_ = kwinLayouts(firstArgument(replies[0]));
  const auto index = kwinLayoutIndex(firstArgument(replies[1]));
  const auto named = index ? kwinLayoutSource(layouts_, *index) : std::nullopt;
  if (named) {
    switched(*named);
    return;
  }
  // Nothing a layout can be named by: the keyboard's own group speaks.
  noteOnce("unnamed", "Plasma's layout service names no layout Vellicor can show");
  pending_.reset();
  const bool had = source_.has_value();
  source_.reset();
  if (had && settled_) {
    changed_();
  }
  settle();
}

void KWinTracker::layoutChanged(const QDBusMessage& message) {
  if (!present_ || message.arguments().isEmpty()) {
    return;
  }
  const auto index = kwinLayoutIndex(firstArgument(message));
  if (!index) {
    return;
  }
  if (const auto named = kwinLayoutSource(layouts_, *index)) {
    switched(*named);
  } else {
    // A layout not in the list read last: the list has changed.
    readLayouts();
  }
}

void KWinTracker::layoutListChanged() {
  if (present_) {
    readLayouts();
  }
}

// The switch is announced once KWin has named the output in use, or once
// waiting for that is no longer worth it.
void KWinTracker::switched(const NamedSource& source) {
  pending_ = source;
  if (!patience_.isActive()) {
    patience_.start();
  }
  askOutput();
}

void KWinTracker::askOutput() {
  if (askingOutput_) {
    return;
  }
  if (!kwinPresent_) {
    announce();
    return;
  }
  askingOutput_ = true;
  callAll(this, *bus_, {kwinCall(QStringLiteral("activeOutputName"))},
          [this](const std::vector<QDBusMessage>& replies) {
            askingOutput_ = false;
            const DBusValue name = answer(replies.front());
            if (name.kind != DBusValue::Kind::Text) {
              noteOnce("output", "KWin: could not tell the output in use (" + why(replies.front()) +
                                     "); the panel goes where it went last");
              announce();
              return;
            }
            noted_.erase("output");
            activeName_ = name.text;
            if (const auto known = outputs_.find(activeName_); known != outputs_.end()) {
              output_ = known->second;
              announce();
              return;
            }
            // An output whose rectangle is not known yet (one just added):
            // the rectangles are read again, and the switch waits for them
            // while it still may.
            output_.reset();
            readOutputs();
          });
}

void KWinTracker::announce() {
  patience_.stop();
  if (!pending_) {
    return;
  }
  const NamedSource source = *pending_;
  pending_.reset();
  const bool differs = !source_ || !(*source_ == source);
  source_ = source;
  if (!settled_) {
    settle();
  } else if (differs) {
    changed_();
  }
}

void KWinTracker::readOutputs() {
  if (!kwinPresent_) {
    return;
  }
  if (readingOutputs_) {
    readOutputsAgain_ = true;
    return;
  }
  readingOutputs_ = true;
  callAll(this, *bus_, {kwinCall(QStringLiteral("supportInformation"))},
          [this](const std::vector<QDBusMessage>& replies) {
            readingOutputs_ = false;
            const DBusValue text = answer(replies.front());
            if (text.kind == DBusValue::Kind::Text) {
              outputs_ = kwinOutputs(text.text);
            }
            if (outputs_.empty()) {
              noteOnce("outputs",
                       "KWin: its support information names no outputs; the panel goes to the "
                       "screen under the pointer as XWayland sees it");
            } else {
              noted_.erase("outputs");
            }
            if (readOutputsAgain_) {
              readOutputsAgain_ = false;
              readOutputs();
              return;
            }
            if (const auto known = outputs_.find(activeName_); known != outputs_.end()) {
              output_ = known->second;
              if (pending_) {
                announce();
              }
            }
          });
}

// XWayland's screens follow KWin's outputs: when they change, so may the
// outputs' rectangles.
void KWinTracker::watchScreens() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (app == nullptr) {
    return;
  }
  const auto watch = [this](QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, [this] { readOutputs(); });
  };
  for (QScreen* screen : QGuiApplication::screens()) {
    watch(screen);
  }
  connect(app, &QGuiApplication::screenAdded, this, [this, watch](QScreen* screen) {
    watch(screen);
    readOutputs();
  });
  connect(app, &QGuiApplication::screenRemoved, this, [this] { readOutputs(); });
}

void KWinTracker::settle() {
  if (!settled_) {
    settled_ = true;
    changed_();
  }
}

void KWinTracker::noteOnce(const std::string& kind, const std::string& text) {
  if (noted_.insert(kind).second && note_) {
    note_(text);
  }
}

}  // namespace vellicor::qt
