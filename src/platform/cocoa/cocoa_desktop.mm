#include "platform/cocoa/cocoa_desktop.h"

namespace vellicor::cocoa {

Platform CocoaDesktop::platform() {
  return Platform{
      application, distributedCenter, workspaceCenter, inputSources, statusBar, windows,      fonts,
      screens,     threads,           clock_,          log,          text,      accessibility};
}

}  // namespace vellicor::cocoa
