#pragma once

#include "platform/clock.h"
#include "platform/cocoa/cocoa_accessibility.h"
#include "platform/cocoa/cocoa_application.h"
#include "platform/cocoa/cocoa_fonts.h"
#include "platform/cocoa/cocoa_input_sources.h"
#include "platform/cocoa/cocoa_log.h"
#include "platform/cocoa/cocoa_notifications.h"
#include "platform/cocoa/cocoa_screens.h"
#include "platform/cocoa/cocoa_status_bar.h"
#include "platform/cocoa/cocoa_text.h"
#include "platform/cocoa/cocoa_threads.h"
#include "platform/cocoa/cocoa_windows.h"
#include "platform/platform.h"

namespace vellicor::cocoa {

// Every platform service on macOS.
class CocoaDesktop {
 public:
  Platform platform();

  CocoaApplication application;
  CocoaNotificationCenter distributedCenter{CocoaNotificationCenter::Kind::Distributed};
  CocoaNotificationCenter workspaceCenter{CocoaNotificationCenter::Kind::Workspace};
  CocoaInputSources inputSources;
  CocoaStatusBar statusBar;
  CocoaWindows windows;
  CocoaFonts fonts;
  CocoaScreens screens;
  CocoaThreads threads;
  CocoaLog log;
  CocoaTextServices text;
  CocoaAccessibility accessibility;

 private:
  struct SystemClock final : WallClock {
    WallTime now() const override { return std::chrono::system_clock::now(); }
  };
  SystemClock clock_;
};

}  // namespace vellicor::cocoa
