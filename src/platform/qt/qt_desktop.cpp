#include "platform/qt/qt_desktop.h"

#include <unistd.h>

#include <string>

#include "platform/clock.h"
#include "platform/qt/sources/fcitx5_tracker.h"
#include "platform/qt/sources/ibus_tracker.h"
#include "platform/qt/x11/selection_watch.h"
#include "platform/qt/x11/x11_support.h"
#include "platform/qt/sources/xkb_keyboard.h"

namespace vellicor::qt {

class QtDesktop::SystemClock final : public WallClock {
 public:
  WallTime now() const override { return std::chrono::system_clock::now(); }
};

void QtDesktop::prepareQt() {
  // The program reads the keyboard through X11, also under XWayland.
  qputenv("QT_QPA_PLATFORM", "xcb");
  // Shared-memory images pass a file descriptor over the X connection for each
  // new buffer; under a flood of keyboard events that passing can fail and the
  // connection breaks with it. The program's windows are small enough to send
  // their pixels over the connection itself.
  if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM")) {
    qputenv("QT_XCB_NO_MITSHM", "1");
  }
}

QtDesktop::QtDesktop() : clock_(std::make_unique<SystemClock>()) {}

QtDesktop::~QtDesktop() = default;

std::unique_ptr<QtDesktop> QtDesktop::open(std::string& error) {
  std::unique_ptr<QtDesktop> desktop(new QtDesktop);
  QtDesktop* d = desktop.get();
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
  const auto note = [d](const std::string& line) { d->log.writeLine(line); };
  d->ibus_ = std::make_unique<IBusTracker>([d] { d->sourceChanged(); }, note);
  d->fcitx5_ = std::make_unique<Fcitx5Tracker>([d] { d->sourceChanged(); }, note);
  d->trackers_ = {d->fcitx5_.get(), d->ibus_.get(), d->keyboard_.get()};
  d->inputSources.setCurrent(d->selected());
  d->activation_ = ActiveWindowWatch::open([d] {
    d->recheckFrameworks();
    d->workspaceCenter.post(d->application.didActivateApplicationNotification());
  });
  // The status item needs a system tray to be seen: the log says when there is
  // none, and when one arrives.
  const auto trayLine = [d](bool present) {
    d->log.writeLine(present
                         ? "system tray found: the badge is shown there"
                         : "no system tray: the badge shows once one starts; until then the panel "
                           "still shows each switch, and SIGTERM (kill " +
                               std::to_string(getpid()) + ") quits Vellicor");
  };
  if (!QtFonts::coverKorean()) {
    d->log.writeLine("no font for Korean text: install fonts-nanum");
  }
  d->trayHost_ = SelectionWatch::open("_NET_SYSTEM_TRAY_S", trayLine);
  if (d->trayHost_ && !d->trayHost_->owned()) {
    trayLine(false);
  }
  return desktop;
}

void QtDesktop::recheckFrameworks() {
  for (SourceTracker* tracker : trackers_) {
    tracker->recheck();
  }
}

NamedSource QtDesktop::selected() const {
  for (const SourceTracker* tracker : trackers_) {
    if (auto source = tracker->current()) {
      return *source;
    }
  }
  return {};
}

void QtDesktop::sourceChanged() {
  inputSources.setCurrent(selected());
  distributedCenter.post(inputSources.selectedSourceChangedNotification());
}

Platform QtDesktop::platform() {
  return Platform{application, distributedCenter, workspaceCenter, inputSources, statusBar, windows,
                  fonts,       screens,           threads,         *clock_,      log,       text};
}

}  // namespace vellicor::qt
