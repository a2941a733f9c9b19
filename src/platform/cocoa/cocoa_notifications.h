#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/notifications.h"

namespace vellicor::cocoa {

// A Foundation notification centre whose blocks run on the main operation queue.
// The distributed centre delivers to a selector registered for immediate
// delivery, so a change arrives while the app is inactive; the workspace centre
// takes a block on the main queue.
//
// Checklist: exact (addObserver:selector:name:object:suspensionBehavior: with
// NSNotificationSuspensionBehaviorDeliverImmediately, addObserverForName:object:
// queue:usingBlock:, removeObserver:).
class CocoaNotificationCenter final : public NotificationCenter {
 public:
  enum class Kind { Distributed, Workspace };
  explicit CocoaNotificationCenter(Kind kind) : kind_(kind) {}

  std::shared_ptr<ObserverToken> addObserver(const std::string& name,
                                             std::function<void()> block) override;
  void removeObserver(const std::shared_ptr<ObserverToken>& token) override;

 private:
  Kind kind_;
};

}  // namespace vellicor::cocoa
