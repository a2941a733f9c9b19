#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "hud/hud_manager.h"
#include "platform/sim/sim_desktop.h"
#include "support/hud_test_access.h"

namespace vellicor::testing {

// A fresh simulated desktop with the program's delegate and a HUD manager of its
// own, made on first use as the shared one would be.
struct AppWorld {
  AppWorld()
      : delegate(std::make_shared<AppDelegate>(desktop.platform(), [this] { return hud(); })) {}

  std::shared_ptr<HUDManager> hud() {
    if (!hudManager) {
      hudManager = HUDManagerTestAccess::make(desktop.platform());
    }
    return hudManager;
  }

  void launch() { desktop.application.launch(delegate); }
  void switchTo(const sim::SimSource& source) {
    desktop.selectSource(source);
    desktop.threads.runPending();
  }

  sim::SimWindow* hudWindow() {
    const auto windows = desktop.windows.windows();
    return windows.empty() ? nullptr : windows.front().get();
  }
  sim::SimStatusItem& statusItem() { return *desktop.statusBar.installed().at(0); }
  std::string badge() { return statusItem().simButton->title; }
  std::string menuLine() { return statusItem().simMenu()->items.at(0)->title; }
  std::vector<std::string> log() const { return desktop.log.lines(); }

  // Declared in this order so that the delegate goes first, then the HUD.
  sim::SimDesktop desktop;
  std::shared_ptr<HUDManager> hudManager;
  std::shared_ptr<AppDelegate> delegate;
};

}  // namespace vellicor::testing
