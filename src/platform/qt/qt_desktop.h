#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/common/queued_notification_center.h"
#include "platform/icu/icu_text.h"
#include "platform/platform.h"
#include "platform/qt/qt_application.h"
#include "platform/qt/qt_fonts.h"
#include "platform/qt/qt_input_sources.h"
#include "platform/qt/qt_log.h"
#include "platform/qt/qt_screens.h"
#include "platform/qt/qt_status_bar.h"
#include "platform/qt/qt_threads.h"
#include "platform/qt/qt_windows.h"

namespace vellicor::qt {

class XkbKeyboard;
class Fcitx5Tracker;
class IBusTracker;
class SourceTracker;
class ActiveWindowWatch;
class SelectionWatch;

// Every platform service on the Linux desktop, over a QApplication that must
// already exist. The selected source comes from a set of trackers, in this
// order of precedence: the input-method framework that owns the keyboard
// (Fcitx5 while it runs, then IBus while it runs and has an engine) before the
// keyboard's XKB group, which always names one. A change seen by any of them
// posts the selected-source notification. Activations of other applications post the
// workspace one. The log says when there is no system tray to show the status
// item, and when one arrives, and when no installed font can show Korean.
class QtDesktop {
 public:
  // Sets up how Qt reaches the display; call before the QApplication exists.
  static void prepareQt();
  // Null, with the reason in `error`, when the display cannot serve the program.
  static std::unique_ptr<QtDesktop> open(std::string& error);
  ~QtDesktop();
  QtDesktop(const QtDesktop&) = delete;
  QtDesktop& operator=(const QtDesktop&) = delete;

  Platform platform();

  QtApplication application;
  QtThreads threads;
  QueuedNotificationCenter distributedCenter{threads};
  QueuedNotificationCenter workspaceCenter{threads};
  QtInputSources inputSources;
  QtStatusBar statusBar{application};
  QtWindows windows;
  QtFonts fonts;
  QtScreens screens;
  QtLog log;
  IcuTextServices text;

 private:
  QtDesktop();
  NamedSource selected() const;
  void recheckFrameworks();
  void sourceChanged();
  class SystemClock;
  std::unique_ptr<SystemClock> clock_;
  std::unique_ptr<XkbKeyboard> keyboard_;
  std::unique_ptr<IBusTracker> ibus_;
  std::unique_ptr<Fcitx5Tracker> fcitx5_;
  std::vector<SourceTracker*> trackers_;  // by precedence
  std::unique_ptr<ActiveWindowWatch> activation_;
  std::unique_ptr<SelectionWatch> trayHost_;
};

}  // namespace vellicor::qt
