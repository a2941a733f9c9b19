#include "platform/qt/sources/fcitx5/fcitx5_tracker.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <utility>

#include "platform/qt/sources/dbus/dbus_calls.h"
#include "platform/qt/sources/dbus/dbus_value_reader.h"
#include "platform/qt/sources/dbus/session_bus.h"

namespace vellicor::qt {
namespace {

const QString kFcitx5 = QStringLiteral("org.fcitx.Fcitx5");
const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
constexpr int kPollMs = 250;

QDBusMessage controllerCall(const QString& method) {
  QDBusMessage call =
      QDBusMessage::createMethodCall(kFcitx5, QStringLiteral("/controller"),
                                     QStringLiteral("org.fcitx.Fcitx.Controller1"), method);
  // Asking must not start Fcitx5 through D-Bus activation.
  call.setAutoStartService(false);
  return call;
}

QDBusMessage busCall(const QString& method, const QString& argument) {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), method);
  call << argument;
  return call;
}

bool isReply(const QDBusMessage& message) {
  return message.type() == QDBusMessage::ReplyMessage && !message.arguments().isEmpty();
}

std::string text(const DBusValue* value) {
  return value != nullptr && value->kind == DBusValue::Kind::Text ? value->text : std::string();
}

// AvailableInputMethods: a(ssssssb), unique name, name, native name, icon,
// label, language, configurable.
std::vector<Fcitx5InputMethod> inputMethods(const DBusValue& list) {
  std::vector<Fcitx5InputMethod> out;
  for (const DBusValue& entry : list.items) {
    Fcitx5InputMethod im{text(entry.item(0)), text(entry.item(1)), text(entry.item(2))};
    if (!im.uniqueName.empty()) {
      out.push_back(std::move(im));
    }
  }
  return out;
}

}  // namespace

Fcitx5Tracker::Fcitx5Tracker(SessionBus& sessionBus, std::function<void()> changed,
                             std::function<void(const std::string&)> note)
    : changed_(std::move(changed)), note_(std::move(note)) {
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, [this] { ask(); });
  sessionBus.whenAnswers([this] { start(QDBusConnection(SessionBus::connectionName())); });
  // Without a session bus there is no Fcitx5 to wait for.
  sessionBus.whenSettled([this] {
    if (!started_) {
      settle();
    }
  });
}

// Watches Fcitx5 and the StatusNotifierWatcher come and go, then asks once
// whether each is there now; nothing waits for the answers.
void Fcitx5Tracker::start(QDBusConnection bus) {
  started_ = true;
  bus_ = bus;
  fcitx5_.setConnection(bus);
  fcitx5_.addWatchedService(kFcitx5);
  watcher_.setConnection(bus);
  watcher_.addWatchedService(kWatcher);
  connect(&fcitx5_, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString&, const QString& owner) {
            vanished();
            if (!owner.isEmpty()) {
              appeared();
            }
          });
  connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this](const QString&, const QString&, const QString& owner) {
            watcherPresent_ = !owner.isEmpty();
            updatePolling();
          });
  // The signal Fcitx5's tray item sends at each switch; other items' are
  // told apart by their process.
  bus.connect(QString(), QString(), QStringLiteral("org.kde.StatusNotifierItem"),
              QStringLiteral("NewIcon"), this, SLOT(newIcon(QDBusMessage)));
  callAll(this, bus,
          {busCall(QStringLiteral("NameHasOwner"), kWatcher),
           busCall(QStringLiteral("NameHasOwner"), kFcitx5)},
          [this](const std::vector<QDBusMessage>& replies) {
            const auto has = [](const QDBusMessage& reply) {
              return isReply(reply) && reply.arguments().front().toBool();
            };
            watcherPresent_ = watcherPresent_ || has(replies[0]);
            // The service watcher may have seen it start in the meantime.
            if (has(replies[1]) && !running_) {
              appeared();
            } else if (!running_) {
              settle();
            }
            updatePolling();
          });
}

void Fcitx5Tracker::settle() {
  if (!settled_) {
    settled_ = true;
    changed_();
  }
}

Fcitx5Tracker::~Fcitx5Tracker() = default;

void Fcitx5Tracker::appeared() {
  running_ = true;
  ++generation_;
  const int started = generation_;
  callAll(this, *bus_, {busCall(QStringLiteral("GetConnectionUnixProcessID"), kFcitx5)},
          [this, started](const std::vector<QDBusMessage>& replies) {
            if (started == generation_ && isReply(replies[0])) {
              pid_ = replies[0].arguments().front().toUInt();
            }
          });
  updatePolling();
  ask();
}

void Fcitx5Tracker::vanished() {
  const bool was = running_ && current_.has_value();
  running_ = false;
  ++generation_;
  asking_ = false;
  askAgain_ = false;
  pid_.reset();
  senders_.clear();
  available_.clear();
  group_.clear();
  groupLayout_.clear();
  current_.reset();
  updatePolling();
  if (was) {
    changed_();
  }
}

void Fcitx5Tracker::updatePolling() {
  if (running_ && !watcherPresent_) {
    if (!poll_.isActive()) {
      poll_.start();
    }
  } else {
    poll_.stop();
  }
}

// Any tray item sends NewIcon: Fcitx5's own bring a look at Fcitx5. A sender
// not known yet is asked about, a bounded number at a time; past that, Fcitx5
// is asked itself (one question at a time), so no switch waits on the count.
void Fcitx5Tracker::newIcon(const QDBusMessage& message) {
  if (!running_) {
    return;
  }
  const QString sender = message.service();
  switch (senders_.verdict(sender.toStdString())) {
    case Fcitx5Senders::Verdict::Fcitx5:
    case Fcitx5Senders::Verdict::TooMany:
      ask();
      return;
    case Fcitx5Senders::Verdict::Other:
    case Fcitx5Senders::Verdict::Asking:
      return;
    case Fcitx5Senders::Verdict::Ask:
      break;
  }
  const int started = generation_;
  callAll(this, *bus_, {busCall(QStringLiteral("GetConnectionUnixProcessID"), sender)},
          [this, started, sender](const std::vector<QDBusMessage>& replies) {
            if (started != generation_) {
              return;
            }
            if (!pid_) {
              // Fcitx5's own process is not known yet: it is asked instead.
              senders_.forget(sender.toStdString());
              ask();
              return;
            }
            const bool fcitx5 =
                isReply(replies[0]) && replies[0].arguments().front().toUInt() == *pid_;
            senders_.answered(sender.toStdString(), fcitx5);
            if (fcitx5) {
              ask();
            }
          });
}

void Fcitx5Tracker::ask() {
  if (!running_) {
    return;
  }
  if (asking_) {
    askAgain_ = true;
    return;
  }
  asking_ = true;
  const int started = generation_;
  callAll(this, *bus_,
          {controllerCall(QStringLiteral("State")),
           controllerCall(QStringLiteral("CurrentInputMethod")),
           controllerCall(QStringLiteral("CurrentInputMethodGroup"))},
          [this, started](const std::vector<QDBusMessage>& replies) {
            if (started == generation_) {
              answered(replies);
            }
          });
}

void Fcitx5Tracker::answered(const std::vector<QDBusMessage>& replies) {
  if (failed(replies)) {
    return;
  }
  const int state = replies[0].arguments().front().toInt();
  const std::string method = replies[1].arguments().front().toString().toStdString();
  const std::string group = replies[2].arguments().front().toString().toStdString();
  if (group == group_) {
    withGroup(state, method);
    return;
  }
  // A group Fcitx5 has not been asked about: its keyboard layout first.
  QDBusMessage info = controllerCall(QStringLiteral("InputMethodGroupInfo"));
  info << QString::fromStdString(group);
  const int started = generation_;
  callAll(this, *bus_, {info},
          [this, started, state, method, group](const std::vector<QDBusMessage>& got) {
            if (started != generation_ || failed(got)) {
              return;
            }
            group_ = group;
            groupLayout_ = got[0].arguments().front().toString().toStdString();
            withGroup(state, method);
          });
}

// The list of input methods is read again only when it lacks the one to name.
void Fcitx5Tracker::withGroup(int state, const std::string& method) {
  if (fcitx5Knows(available_, method, state, groupLayout_)) {
    named(state, method);
    return;
  }
  const int started = generation_;
  callAll(this, *bus_, {controllerCall(QStringLiteral("AvailableInputMethods"))},
          [this, started, state, method](const std::vector<QDBusMessage>& got) {
            if (started != generation_ || failed(got)) {
              return;
            }
            available_ = inputMethods(readDBusValue(got[0].arguments().front()));
            named(state, method);
          });
}

// An error answer, or Fcitx5 gone between two calls: the last source it named
// stands, and the trouble is noted once.
bool Fcitx5Tracker::failed(const std::vector<QDBusMessage>& replies) {
  for (const QDBusMessage& reply : replies) {
    if (!isReply(reply)) {
      noteOnce("error", "Fcitx5: could not read its input method (" +
                            reply.errorName().toStdString() + ": " +
                            reply.errorMessage().toStdString() + "); the last one stands");
      asking_ = false;
      askAgain_ = false;
      settle();
      return true;
    }
  }
  return false;
}

void Fcitx5Tracker::named(int state, const std::string& method) {
  asking_ = false;
  // Fcitx5 answers again: a later failure is worth saying again.
  noted_.erase("error");
  // Nothing focused (the desktop, a window without input): what the user types
  // next is decided where the focus goes, so the last source stands.
  bool differs = false;
  if (state != kFcitx5NoInputContext || !current_) {
    const auto source = fcitx5Source(available_, method, state, groupLayout_);
    differs = !current_ || !(*current_ == source);
    current_ = source;
  }
  // The first reading settles the tracker with its name already in place: the
  // program may launch on it, and must start with that name, not announce it.
  if (!settled_) {
    settle();
  } else if (differs) {
    changed_();
  }
  if (askAgain_) {
    askAgain_ = false;
    ask();
  }
}

void Fcitx5Tracker::noteOnce(const std::string& kind, const std::string& text) {
  if (noted_.insert(kind).second && note_) {
    note_(text);
  }
}

}  // namespace vellicor::qt
