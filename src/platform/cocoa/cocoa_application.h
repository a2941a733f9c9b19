#pragma once

#include <memory>
#include <string>

#include "platform/application.h"

namespace vellicor::cocoa {

// NSApplication with an Objective-C delegate adaptor that forwards the launch
// and termination messages and menu actions to the program's delegate. The
// application runs as an accessory (menu-bar agent): no Dock icon, no menu bar
// of its own, no window.
//
// Checklist: exact. run does not come back while the program runs.
class CocoaApplication final : public Application {
 public:
  CocoaApplication();
  ~CocoaApplication() override;
  CocoaApplication(const CocoaApplication&) = delete;
  CocoaApplication& operator=(const CocoaApplication&) = delete;

  void run(const std::shared_ptr<ApplicationDelegate>& delegate) override;
  void terminate() override;
  std::string didActivateApplicationNotification() const override;

 private:
  struct Adaptor;
  std::unique_ptr<Adaptor> adaptor_;
};

}  // namespace vellicor::cocoa
