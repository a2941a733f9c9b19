#pragma once

#include <memory>
#include <string>

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
class IBusWatch;
class ActiveWindowWatch;
class SelectionWatch;

// Every platform service on the Linux desktop, over a QApplication that must
// already exist. The selected source is IBus's global engine while IBus runs
// and has one, else the keyboard's XKB group; each change of either posts the
// selected-source notification. Activations of other applications post the
// workspace one. The log says when there is no system tray to show the status
// item, and when one arrives.
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
  void sourceChanged();
  class SystemClock;
  std::unique_ptr<SystemClock> clock_;
  std::unique_ptr<XkbKeyboard> keyboard_;
  std::unique_ptr<IBusWatch> ibus_;
  std::unique_ptr<ActiveWindowWatch> activation_;
  std::unique_ptr<SelectionWatch> trayHost_;
};

}  // namespace vellicor::qt
