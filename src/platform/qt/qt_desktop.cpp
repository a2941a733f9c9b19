#include "platform/qt/qt_desktop.h"

#include <unistd.h>

#include <algorithm>
#include <string>

#include "platform/clock.h"
#include "platform/common/outside_text.h"
#include "platform/icu/bounded_text.h"
#include "platform/qt/screen_reader_watch.h"
#include "platform/qt/sources/fcitx5/fcitx5_tracker.h"
#include "platform/qt/sources/ibus/ibus_tracker.h"
#include "platform/qt/sources/session_trackers.h"
#include "platform/qt/sources/xkb/xkb_keyboard.h"
#include "platform/qt/tray_presence.h"
#include "platform/qt/x11/startup_notification.h"
#include "platform/qt/x11/x11_support.h"

namespace vellicor::qt {
namespace {

// How long a framework that let go of the keyboard still names the source:
// longer than ibus-daemon and Fcitx5 take to start again, short enough that a
// framework that quit for good hands over to the keyboard's own layout soon.
constexpr int kRestartGraceMs = 3000;
// How long the launch waits for the trackers' first readings.
constexpr int kFirstReadingsMs = 500;
// How long the source stays while the session and IBus are between the steps
// of one switch: longer than IBus takes to start an engine's process.
constexpr int kBetweenStepsMs = 1000;
// Set in the environment of a program started again for a screen reader:
// once is enough, as Qt's bridge then starts with it.
constexpr char kStartedForScreenReader[] = "VELLICOR_STARTED_FOR_SCREEN_READER";
// The longest note: a few lines' worth of what another process said.
constexpr std::size_t kMostNoteClusters = 1024;
constexpr std::size_t kMostNoteBytes = 8192;

}  // namespace

class QtDesktop::SystemClock final : public WallClock {
 public:
  WallTime now() const override { return std::chrono::system_clock::now(); }
};

QtDesktop::Prepared QtDesktop::prepareQt(const std::string& display) {
  // Qt reads -display itself; the program's own X code, IBus's address file
  // and the screen's selections go by DISPLAY, which names the same.
  qputenv("DISPLAY", QByteArray::fromStdString(display));
  // The program reads the keyboard through X11, also under XWayland.
  qputenv("QT_QPA_PLATFORM", "xcb");
  // Shared-memory images pass a file descriptor over the X connection for each
  // new buffer; under a flood of keyboard events that passing can fail and the
  // connection breaks with it. The program's windows are small enough to send
  // their pixels over the connection itself.
  if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM")) {
    qputenv("QT_XCB_NO_MITSHM", "1");
  }
  // The program takes no text input, so it needs no input method; Qt's IBus
  // module would connect to IBus's bus at start-up and wait there for a daemon
  // that does not answer.
  qputenv("QT_IM_MODULE", "none");
  // Qt takes the launcher's startup id out of the environment as it connects,
  // while the font thread reads the environment: it is taken out here, and
  // the start is said complete once the program has launched.
  Prepared prepared;
  prepared.startupId = qgetenv("DESKTOP_STARTUP_ID").toStdString();
  qunsetenv("DESKTOP_STARTUP_ID");
  prepared.bus = SessionBus::findBeforeQt();
  return prepared;
}

QtDesktop::QtDesktop(const Prepared& prepared)
    : sessionBus(prepared.bus, [this](const std::string& line) { note(line); }),
      clock_(std::make_unique<SystemClock>()),
      selection_(kRestartGraceMs, kBetweenStepsMs),
      startupId_(prepared.startupId),
      arguments_(prepared.arguments) {
  // The end of a grace, or of a wait between steps, is a change of its own.
  deadline_.setSingleShot(true);
  deadline_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&deadline_, &QTimer::timeout, [this] { sourceChanged(); });
  uptime_.start();
}

QtDesktop::~QtDesktop() = default;

std::unique_ptr<QtDesktop> QtDesktop::open(const Prepared& prepared, std::string& error) {
  std::unique_ptr<QtDesktop> desktop(new QtDesktop(prepared));
  QtDesktop* d = desktop.get();
  QtAccessibility::install();
  // A keymap change can go with a switch the input-method frameworks do not
  // announce, so they look again then.
  d->keyboard_ = XkbKeyboard::open(
      [d] {
        d->recheckFrameworks();
        d->sourceChanged();
      },
      error);
  if (!d->keyboard_) {
    return nullptr;
  }
  const auto note = [d](const std::string& line) { d->note(line); };
  // Latin mode types what the keyboard's layout gives.
  const auto layout = [d] { return d->keyboard_->current()->identifier; };
  d->ibus_ = std::make_unique<IBusTracker>(
      d->gio_, [d] { d->sourceChanged(); }, note, layout);
  d->fcitx5_ = std::make_unique<Fcitx5Tracker>(
      d->sessionBus, [d] { d->sourceChanged(); }, note);
  d->session_ = openSessionTracker(
      d->sessionBus, d->gio_, [d] { d->sourceChanged(); }, note);
  d->trackers_ = {d->fcitx5_.get(), d->ibus_.get()};
  if (d->session_) {
    d->note("Wayland session: the input source is followed through " + d->session_->description());
    d->trackers_.push_back(d->session_.get());
    d->screens.followOutput([d] { return d->session_->activeOutput(); });
  }
  d->trackers_.push_back(d->keyboard_.get());
  d->inputSources.setCurrent(d->selected());
  d->launchWhenSettled();
  // Neither is needed before the status item is up: activations count only
  // once the delegate observes them, from its launch on, and the font notice
  // is a line in the log. Both cost the start-up a millisecond.
  d->application.afterLaunch([d] {
    completeStartup(d->startupId_);
    d->activation_ = ActiveWindowWatch::open([d] {
      d->recheckFrameworks();
      d->workspaceCenter.post(d->application.didActivateApplicationNotification());
    });
    if (!QtFonts::coverKorean()) {
      d->log.writeLine("no font for Korean text: install fonts-nanum");
    }
  });
  // A screen reader that starts after the program hears it once the program
  // has started again, as Qt's bridge to it starts only with the program.
  if (qEnvironmentVariableIsEmpty(kStartedForScreenReader) && !d->arguments_.empty()) {
    d->screenReaders_ = std::make_unique<ScreenReaderWatch>(d->sessionBus, [d] {
      d->log.writeLine("a screen reader started: Vellicor starts again, to be heard by it");
      d->application.startAgain(d->arguments_, kStartedForScreenReader);
    });
  }
  // The status item needs a system tray to be seen: the log says when there is
  // none, and when one arrives.
  d->trayPresence_ = std::make_unique<TrayPresence>(d->sessionBus, [d](bool present) {
    const bool first = !d->trayKnown_;
    d->trayKnown_ = true;
    if (present && !first) {
      d->log.writeLine("system tray found: the badge is shown there");
    } else if (!present) {
      d->log.writeLine(
          "no system tray: the badge shows once one starts; until then the panel still shows "
          "each switch, and SIGTERM (kill " +
          std::to_string(getpid()) + ") quits Vellicor");
    }
  });
  return desktop;
}

// A note can quote another process (a D-Bus error, a bus name): escaped like
// every other line, it stays one line and drives no terminal, and bounded, it
// stays a line.
void QtDesktop::note(const std::string& line) {
  log.writeLine(escapedControls(boundedText(line, kMostNoteClusters, kMostNoteBytes)));
}

void QtDesktop::launchWhenSettled() {
  // A tracker may report while open() is still making the others: the launch
  // is decided once all of them are there.
  if (trackers_.empty()) {
    return;
  }
  application.holdLaunch(kFirstReadingsMs);
  for (const SourceTracker* tracker : trackers_) {
    if (!tracker->settled()) {
      return;
    }
  }
  application.releaseLaunch();
}

void QtDesktop::recheckFrameworks() {
  for (SourceTracker* tracker : trackers_) {
    tracker->recheck();
  }
}

// The session names an IBus engine as its source while IBus has another: GNOME's
// shell sets both at each switch, one after the other in either order.
bool QtDesktop::betweenSteps() const {
  // Trackers say what they find as they start, before all of them are there.
  const auto wanted = session_ ? session_->inputMethodEngine() : std::nullopt;
  const auto engine = ibus_ ? ibus_->engineName() : std::nullopt;
  return wanted && engine && *wanted != *engine;
}

NamedSource QtDesktop::selected() {
  SelectionInput input;
  for (const SourceTracker* tracker : trackers_) {
    input.trackers.push_back({tracker->current(), tracker->yieldsToSession()});
  }
  // IBus's keyboard-layout engines yield while the session's tracker names one.
  input.sessionSpeaks = session_ && session_->current().has_value();
  input.betweenSteps = betweenSteps();
  const SourceSelection::Millis now = uptime_.elapsed();
  const NamedSource source = selection_.select(input, now);
  if (const auto deadline = selection_.deadline()) {
    deadline_.start(static_cast<int>(std::max<SourceSelection::Millis>(0, *deadline - now)));
  } else {
    deadline_.stop();
  }
  return source;
}

void QtDesktop::sourceChanged() {
  inputSources.setCurrent(selected());
  // The panel may wait a moment for the pointer that is to place it.
  screens.whenPointerKnown(
      [this] { distributedCenter.post(inputSources.selectedSourceChangedNotification()); });
  if (!application.launched()) {
    launchWhenSettled();
  }
}

Platform QtDesktop::platform() {
  return Platform{
      application, distributedCenter, workspaceCenter, inputSources, statusBar, windows,      fonts,
      screens,     threads,           *clock_,         log,          text,      accessibility};
}

}  // namespace vellicor::qt
