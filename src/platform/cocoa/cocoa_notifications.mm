#include "platform/cocoa/cocoa_notifications.h"

#import <AppKit/AppKit.h>
#import <Foundation/Foundation.h>

#include <utility>

// Receives one distributed notification by selector and runs its block on the
// main queue. The block is dropped when the observer is removed, so work
// already queued for the main queue then does nothing.
@interface VellicorNotificationReceiver : NSObject
- (instancetype)initWithBlock:(std::shared_ptr<std::function<void()>>)block;
- (void)receive:(NSNotification*)notification;
- (void)drop;
@end

@implementation VellicorNotificationReceiver {
  std::shared_ptr<std::function<void()>> _block;
}

- (instancetype)initWithBlock:(std::shared_ptr<std::function<void()>>)block {
  if ((self = [super init])) {
    _block = std::move(block);
  }
  return self;
}

- (void)receive:(NSNotification*)notification {
  (void)notification;
  if ([NSThread isMainThread]) {
    [self run];
  } else {
    [[NSOperationQueue mainQueue] addOperationWithBlock:^{
      [self run];
    }];
  }
}

- (void)run {
  if (const auto block = _block) {
    (*block)();
  }
}

- (void)drop {
  _block.reset();
}
@end

namespace vellicor::cocoa {
namespace {

struct CocoaToken final : ObserverToken {
  id<NSObject> observer;
};

NSNotificationCenter* centerOf(CocoaNotificationCenter::Kind kind) {
  if (kind == CocoaNotificationCenter::Kind::Distributed) {
    return [NSDistributedNotificationCenter defaultCenter];
  }
  return [[NSWorkspace sharedWorkspace] notificationCenter];
}

}  // namespace

std::shared_ptr<ObserverToken> CocoaNotificationCenter::addObserver(const std::string& name,
                                                                    std::function<void()> block) {
  auto shared = std::make_shared<std::function<void()>>(std::move(block));
  auto token = std::make_shared<CocoaToken>();
  if (kind_ == Kind::Distributed) {
    // AppKit suspends distributed notifications while the app is inactive, which
    // a menu-bar agent nearly always is, and the block-based registration takes
    // the coalescing behaviour; delivering immediately brings every change.
    VellicorNotificationReceiver* receiver =
        [[VellicorNotificationReceiver alloc] initWithBlock:shared];
    [[NSDistributedNotificationCenter defaultCenter]
               addObserver:receiver
                  selector:@selector(receive:)
                      name:@(name.c_str())
                    object:nil
        suspensionBehavior:NSNotificationSuspensionBehaviorDeliverImmediately];
    token->observer = receiver;
    return token;
  }
  token->observer = [centerOf(kind_) addObserverForName:@(name.c_str())
                                                 object:nil
                                                  queue:[NSOperationQueue mainQueue]
                                             usingBlock:^(NSNotification*) {
                                               (*shared)();
                                             }];
  return token;
}

void CocoaNotificationCenter::removeObserver(const std::shared_ptr<ObserverToken>& token) {
  if (auto* cocoa = dynamic_cast<CocoaToken*>(token.get()); cocoa && cocoa->observer) {
    [centerOf(kind_) removeObserver:cocoa->observer];
    if ([cocoa->observer isKindOfClass:[VellicorNotificationReceiver class]]) {
      [static_cast<VellicorNotificationReceiver*>(cocoa->observer) drop];
    }
    cocoa->observer = nil;
  }
}

}  // namespace vellicor::cocoa
