#pragma once

#include <string>

#include "platform/common/queued_notification_center.h"
#include "platform/icu/icu_text.h"
#include "platform/platform.h"
#include "platform/sim/sim_accessibility.h"
#include "platform/sim/sim_application.h"
#include "platform/sim/sim_fonts.h"
#include "platform/sim/sim_input_sources.h"
#include "platform/sim/sim_log.h"
#include "platform/sim/sim_screens.h"
#include "platform/sim/sim_status_bar.h"
#include "platform/sim/sim_threads.h"
#include "platform/sim/sim_ui_probe.h"
#include "platform/sim/sim_windows.h"

namespace vellicor::sim {

// A whole simulated desktop: every platform service, open to inspection. It
// starts with one 1440 x 900 screen, the pointer at its centre and no input source.
class SimDesktop {
 public:
  SimDesktop();
  SimDesktop(const SimDesktop&) = delete;
  SimDesktop& operator=(const SimDesktop&) = delete;

  Platform platform();

  // Makes `source` current and posts the change notification, as a switch does.
  void selectSource(const SimSource& source);
  // Posts the change notification without changing the source.
  void repostSourceChanged();
  void activateAnotherApplication();
  // Chooses the item at `index` of the menu of the first status item; false when
  // there is no such item or it has no action the delegate takes.
  bool chooseStatusMenuItem(long index);

  SimThreads threads;
  SimUiProbe probe{threads};
  QueuedNotificationCenter distributedCenter{threads};
  QueuedNotificationCenter workspaceCenter{threads};
  SimInputSources inputSources;
  SimStatusBar statusBar{probe};
  SimFonts fonts;
  SimWindows windows{probe, fonts};
  SimScreens screens;
  SimWallClock clock{threads};
  SimLog log;
  IcuTextServices text;
  SimApplication application{threads};
  SimAccessibility accessibility{threads};
};

}  // namespace vellicor::sim
