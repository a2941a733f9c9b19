#include "platform/cocoa/cocoa_application.h"

#import <AppKit/AppKit.h>

#include "platform/cocoa/cocoa_mapping.h"
#include "platform/cocoa/cocoa_strings.h"

// The application's delegate as AppKit sees it. It holds the program's delegate
// weakly: the program's application type owns it.
@interface VellicorDelegateAdaptor : NSObject <NSApplicationDelegate>
- (void)setTarget:(std::weak_ptr<vellicor::ApplicationDelegate>)target;
- (void)quitApp:(id)sender;
@end

@implementation VellicorDelegateAdaptor {
  std::weak_ptr<vellicor::ApplicationDelegate> _target;
}

- (void)setTarget:(std::weak_ptr<vellicor::ApplicationDelegate>)target {
  _target = std::move(target);
}

- (void)applicationDidFinishLaunching:(NSNotification*)notification {
  (void)notification;
  if (auto target = _target.lock()) {
    target->applicationDidFinishLaunching();
  }
}

- (void)applicationWillTerminate:(NSNotification*)notification {
  (void)notification;
  if (auto target = _target.lock()) {
    target->applicationWillTerminate();
  }
}

// Restorable state is encoded securely; there is no window to restore.
- (BOOL)applicationSupportsSecureRestorableState:(NSApplication*)app {
  (void)app;
  return YES;
}

// The menu's quit item: its action travels the responder chain to here.
- (void)quitApp:(id)sender {
  (void)sender;
  if (auto target = _target.lock()) {
    target->performAction(vellicor::cocoa::actionFromSelectorName(
        vellicor::cocoa::fromNSString(NSStringFromSelector(_cmd))));
  }
}
@end

namespace vellicor::cocoa {

struct CocoaApplication::Adaptor {
  VellicorDelegateAdaptor* object = [[VellicorDelegateAdaptor alloc] init];
};

CocoaApplication::CocoaApplication() : adaptor_(std::make_unique<Adaptor>()) {}

CocoaApplication::~CocoaApplication() = default;

void CocoaApplication::run(const std::shared_ptr<ApplicationDelegate>& delegate) {
  NSApplication* app = [NSApplication sharedApplication];
  [app setActivationPolicy:NSApplicationActivationPolicyAccessory];
  [adaptor_->object setTarget:delegate];
  // Installed before the loop runs, so the launch message reaches it.
  [app setDelegate:adaptor_->object];
  [app run];
}

void CocoaApplication::terminate() {
  [[NSApplication sharedApplication] terminate:nil];
}

std::string CocoaApplication::didActivateApplicationNotification() const {
  return fromNSString(NSWorkspaceDidActivateApplicationNotification);
}

}  // namespace vellicor::cocoa
