// Vellicor on macOS: the application type runs NSApplication with the
// program's delegate behind an Objective-C adaptor, and declares no window.

#import <Foundation/Foundation.h>

#include "app/vellicor_app.h"
#include "platform/cocoa/cocoa_desktop.h"

int main() {
  @autoreleasepool {
    // Lives as long as the process: the shared HUD manager keeps its platform.
    static vellicor::cocoa::CocoaDesktop desktop;
    return vellicor::VellicorApp::main(desktop.platform());
  }
}
