#include "platform/cocoa/cocoa_accessibility.h"

#import <AppKit/AppKit.h>

#include "platform/cocoa/cocoa_strings.h"

namespace vellicor::cocoa {

void CocoaAccessibility::announce(const std::string& text) {
  if (NSApp == nil) {
    return;
  }
  NSAccessibilityPostNotificationWithUserInfo(
      NSApp, NSAccessibilityAnnouncementRequestedNotification, @{
        NSAccessibilityAnnouncementKey : toNSString(text),
        NSAccessibilityPriorityKey : @(NSAccessibilityPriorityHigh)
      });
}

}  // namespace vellicor::cocoa
