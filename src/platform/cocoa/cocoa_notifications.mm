#include "platform/cocoa/cocoa_notifications.h"

#import <AppKit/AppKit.h>
#import <Foundation/Foundation.h>

#include <utility>

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
    cocoa->observer = nil;
  }
}

}  // namespace vellicor::cocoa
