#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/common/queued_notification_center.h"
#include "platform/icu/icu_text.h"
#include "platform/platform.h"
#include "platform/qt/qt_accessibility.h"
#include "platform/qt/qt_application.h"
#include "platform/qt/qt_fonts.h"
#include "platform/qt/qt_input_sources.h"
#include "platform/qt/qt_log.h"
#include "platform/qt/qt_screens.h"
#include "platform/qt/qt_status_bar.h"
#include "platform/qt/qt_threads.h"
#include "platform/qt/qt_windows.h"
#include "platform/qt/sources/dbus/session_bus.h"
#include "platform/qt/sources/gsettings/gio_library.h"
#include "platform/qt/sources/source_selection.h"
#include "platform/qt/sources/source_tracker.h"

namespace vellicor::qt {

class XkbKeyboard;
class Fcitx5Tracker;
class IBusTracker;
class SessionTracker;
class ActiveWindowWatch;
class ScreenReaderWatch;
class TrayPresence;

// Every platform service on the Linux desktop, over a QApplication that must
// already exist. The selected source comes from a set of trackers, in this
// order of precedence: the input-method framework that owns the keyboard
// (Fcitx5 while it runs, then IBus while it runs and has an engine), then the
// session's own tracker in a Wayland session (the compositor's layout; IBus's
// plain keyboard-layout engines yield to it), then the keyboard's XKB group,
// which always names one. Where the session's source is an IBus engine
// (GNOME's IBus sources), the session and IBus each take a switch to or from
// it in a step of their own: between the two (the session names an engine
// IBus does not have), the source stays as it was, for at most a second. A
// change seen by any of them posts the selected-source notification. A
// framework that lets go of the keyboard (it quits, or restarts) keeps naming
// its last source for a grace of three seconds: one that comes back within
// it, naming the same, changes nothing, and only a real switch is announced;
// one that switched to a plain layout it leaves to the session let go of
// nothing. The program is launched once each tracker has read its framework
// once (or found it absent), or after half a second, whichever comes first,
// so that it starts with what they name without waiting on a framework that
// does not answer. The panel goes to the output the session's tracker says is
// in use, where it can tell. Activations of other applications post the
// workspace notification. Screen readers hear of each switch through
// QtAccessibility; one turned on after the program started makes the program
// start again, once, since Qt connects to it only as it starts. The log says
// which session tracker follows the source, when there is no system tray to
// show the status item, and when one arrives, and when no installed font can
// show Korean.
class QtDesktop {
 public:
  // What the program takes from its environment before Qt starts.
  struct Prepared {
    SessionBus::Found bus;
    std::string startupId;               // DESKTOP_STARTUP_ID, taken out of the environment
    std::vector<std::string> arguments;  // as the program was started, its name first
  };
  // Sets up how Qt reaches `display` (DISPLAY or -display, named to every
  // part of the program as DISPLAY) and the session bus; call before the
  // QApplication exists, and before any thread starts: this is the
  // environment's last change. Give what it returns to open().
  static Prepared prepareQt(const std::string& display);
  // Null, with the reason in `error`, when the display cannot serve the program.
  static std::unique_ptr<QtDesktop> open(const Prepared& prepared, std::string& error);
  ~QtDesktop();
  QtDesktop(const QtDesktop&) = delete;
  QtDesktop& operator=(const QtDesktop&) = delete;

  Platform platform();

  QtLog log;
  QtApplication application;
  SessionBus sessionBus;
  QtThreads threads;
  QueuedNotificationCenter distributedCenter{threads};
  QueuedNotificationCenter workspaceCenter{threads};
  QtInputSources inputSources;
  QtStatusBar statusBar{application, sessionBus};
  QtWindows windows;
  QtFonts fonts;
  QtScreens screens;
  IcuTextServices text;
  QtAccessibility accessibility{windows};

 private:
  explicit QtDesktop(const Prepared& prepared);
  // A line from a tracker or the session bus, which may carry outside text.
  void note(const std::string& line);
  NamedSource selected();
  bool betweenSteps() const;
  void recheckFrameworks();
  void sourceChanged();
  void launchWhenSettled();
  class SystemClock;
  std::unique_ptr<SystemClock> clock_;
  GioLibrary gio_;  // outlives the trackers that read settings through it
  std::unique_ptr<XkbKeyboard> keyboard_;
  std::unique_ptr<IBusTracker> ibus_;
  std::unique_ptr<Fcitx5Tracker> fcitx5_;
  std::unique_ptr<SessionTracker> session_;
  std::vector<SourceTracker*> trackers_;  // by precedence
  SourceSelection selection_;
  QElapsedTimer uptime_;  // the selection's clock
  QTimer deadline_;
  std::unique_ptr<ActiveWindowWatch> activation_;
  std::unique_ptr<TrayPresence> trayPresence_;
  bool trayKnown_ = false;
  std::string startupId_;
  std::vector<std::string> arguments_;
  std::unique_ptr<ScreenReaderWatch> screenReaders_;
};

}  // namespace vellicor::qt
