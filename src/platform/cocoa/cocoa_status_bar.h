#pragma once

#include <memory>

#include "platform/status_bar.h"

namespace vellicor::cocoa {

// NSStatusBar's system bar, its status items and NSMenus. A menu item's action
// goes to the first responder that takes it: the application's delegate.
//
// Checklist: exact.
class CocoaStatusBar final : public StatusBar {
 public:
  std::shared_ptr<StatusItem> statusItemWithLength(double length) override;
  void removeStatusItem(const std::shared_ptr<StatusItem>& item) override;
  std::shared_ptr<Menu> makeMenu() override;
};

}  // namespace vellicor::cocoa
