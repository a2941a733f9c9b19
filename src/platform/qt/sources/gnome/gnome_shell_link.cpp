#include "platform/qt/sources/gnome/gnome_shell_link.h"

#include <QGuiApplication>
#include <QMetaType>
#include <QScreen>
#include <QVariant>
#include <utility>
#include <vector>

#include "platform/qt/sources/dbus/dbus_calls.h"
#include "platform/qt/sources/gnome/shell_report.h"

namespace vellicor::qt {
namespace {

const QString kShell = QStringLiteral("org.gnome.Shell");
const QString kPath = QStringLiteral("/app/vellicor/Shell");
const QString kInterface = QStringLiteral("app.vellicor.Shell1");
// The shell answers from its main loop, within a frame while it is idle, and
// its own signal of the switch usually comes first. Where the extension is not
// enabled the shell answers at once with an error; only a shell that is busy
// (a loaded machine, its start-up) takes longer, and the panel then waits for
// its word on the monitor rather than go to the wrong one. A shell that says
// nothing for this long is taken as not answering.
constexpr int kPatienceMs = 1000;
// The extension's values, before the pointer's position in GetState's answer.
constexpr int kSignalArguments = 7;
constexpr int kStateArguments = 9;

bool is(const QVariant& value, QMetaType::Type type) {
  return value.metaType().id() == type;
}

std::vector<OutputRect> screenRects() {
  std::vector<OutputRect> rects;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect g = screen->geometry();
    rects.push_back(OutputRect{g.x(), g.y(), g.width(), g.height()});
  }
  return rects;
}

}  // namespace

GnomeShellLink::GnomeShellLink(std::function<void(const State&)> switched,
                               std::function<void(const std::string&)> note)
    : switched_(std::move(switched)), note_(std::move(note)) {}

GnomeShellLink::~GnomeShellLink() = default;

void GnomeShellLink::start(QDBusConnection bus) {
  bus_ = bus;
  // Qt delivers the signal only from the connection that owns the name.
  bus.connect(kShell, kPath, kInterface, QStringLiteral("SourceChanged"), this,
              SLOT(sourceChanged(QDBusMessage)));
  ask([](const std::optional<State>&) {});
}

void GnomeShellLink::ask(std::function<void(std::optional<State>)> answered) {
  if (!bus_) {
    answered(std::nullopt);
    return;
  }
  QDBusMessage call =
      QDBusMessage::createMethodCall(kShell, kPath, kInterface, QStringLiteral("GetState"));
  call.setAutoStartService(false);
  callAll(
      this, *bus_, {call},
      [this, answered = std::move(answered)](const std::vector<QDBusMessage>& replies) {
        const QDBusMessage& reply = replies.front();
        const bool replied = reply.type() == QDBusMessage::ReplyMessage;
        answeredBy(replied);
        answered(replied ? read(reply, kStateArguments) : std::nullopt);
      },
      kPatienceMs);
}

void GnomeShellLink::sourceChanged(const QDBusMessage& message) {
  answeredBy(true);
  if (const auto state = read(message, kSignalArguments)) {
    switched_(*state);
  }
}

std::optional<GnomeShellLink::State> GnomeShellLink::read(const QDBusMessage& message, int count) {
  const QList<QVariant> a = message.arguments();
  const auto shaped = [&] {
    if (a.size() != count) {
      return false;
    }
    for (int i = 0; i < kSignalArguments; ++i) {
      const QMetaType::Type type =
          i < 2 ? QMetaType::QString : (i < 6 ? QMetaType::Int : QMetaType::Double);
      if (!is(a[i], type)) {
        return false;
      }
    }
    return true;
  };
  std::string why = "values of another shape than its own";
  const auto report =
      shaped()
          ? shellReport(a[0].toString().toStdString(), a[1].toString().toStdString(), a[2].toInt(),
                        a[3].toInt(), a[4].toInt(), a[5].toInt(), a[6].toDouble(), why)
          : std::nullopt;
  if (!report) {
    noteOnce("refused", "GNOME Shell's extension reported " + why + "; left out");
    return std::nullopt;
  }
  const auto screen = screenOfMonitor(report->monitor, screenRects());
  if (!screen) {
    const OutputRect& m = report->monitor.area;
    noteOnce("monitor", "GNOME Shell's extension named a monitor that is none of the screens (" +
                            std::to_string(m.width) + "x" + std::to_string(m.height) + " at " +
                            std::to_string(m.x) + "," + std::to_string(m.y) +
                            "); the panel goes where it would without it");
  }
  return State{report->source, screen};
}

void GnomeShellLink::answeredBy(bool live) {
  live_ = live;
  if (live) {
    noteOnce("live",
             "GNOME Shell: switches and the monitor in use come from Vellicor's shell "
             "extension");
  } else {
    noteOnce("absent",
             "GNOME Shell: the panel follows the pointer only while it is over an X window, "
             "until Vellicor's shell extension is enabled: gnome-extensions enable "
             "vellicor@vellicor.app (a shell started before it was installed finds it at the "
             "next login)");
  }
}

void GnomeShellLink::noteOnce(const std::string& kind, const std::string& text) {
  if (noted_.insert(kind).second) {
    note_(text);
  }
}

}  // namespace vellicor::qt
