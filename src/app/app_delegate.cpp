#include "app/app_delegate.h"

#include <utility>

#include "hud/hud_manager.h"
#include "input/display_name.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/common/outside_text.h"
#include "platform/log.h"
#include "platform/notifications.h"
#include "platform/status_bar.h"

namespace vellicor {

AppDelegate::AppDelegate(const Platform& platform, HUDAccess hud)
    : platform(platform),
      hud(std::move(hud)),
      currentInputSource(kUnknownSourceName),
      announcer(platform) {}

AppDelegate::~AppDelegate() {
  cleanup();
}

void AppDelegate::applicationDidFinishLaunching() {
  setupStatusItem();
  currentInputSource = getCurrentInputSource();
  updateStatusMenu();
  announcer.started(currentInputSource);

  const std::weak_ptr<AppDelegate> weak = weak_from_this();
  appObserver = platform.workspaceCenter.addObserver(
      platform.application.didActivateApplicationNotification(), [weak] {
        if (auto self = weak.lock()) {
          self->lastActivatedAt = self->platform.clock.now();
        }
      });
  distToken = platform.distributedCenter.addObserver(
      platform.inputSources.selectedSourceChangedNotification(), [weak] {
        if (auto self = weak.lock()) {
          self->handleInputSourceChange();
        }
      });

  writeLog("Vellicor 앱 시작. 현재: " + currentInputSource);
}

void AppDelegate::applicationWillTerminate() {
  cleanup();
}

bool AppDelegate::performAction(std::string_view selector) {
  if (selector == "quitApp") {
    quitApp();
    return true;
  }
  return false;
}

void AppDelegate::writeLog(const std::string& line) const {
  platform.log.writeLine(escapedControls(line));
}

// Safe to run again: each resource is released once and its field cleared; only
// the HUD invalidation repeats.
void AppDelegate::cleanup() {
  if (appObserver) {
    platform.workspaceCenter.removeObserver(appObserver);
    appObserver.reset();
  }
  if (distToken) {
    platform.distributedCenter.removeObserver(distToken);
    distToken.reset();
  }
  hud()->invalidate();
  announcer.cancel();
  if (statusItem) {
    platform.statusBar.removeStatusItem(statusItem);
    statusItem.reset();
  }
}

}  // namespace vellicor
