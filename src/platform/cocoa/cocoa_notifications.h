#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/notifications.h"

namespace vellicor::cocoa {

// A Foundation notification centre whose blocks run on the main operation queue.
//
// Checklist: exact (addObserverForName:object:queue:usingBlock:, removeObserver:).
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
