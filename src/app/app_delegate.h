#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "input/change_announcer.h"
#include "platform/application.h"
#include "platform/clock.h"
#include "platform/input_sources.h"
#include "platform/platform.h"

namespace vellicor {

class HUDManager;
class ObserverToken;
class StatusItem;

// Reaches the HUD manager, creating it on first use.
using HUDAccess = std::function<std::shared_ptr<HUDManager>()>;

// The application delegate: the one holder of the program's state. It must be
// owned by a std::shared_ptr, since its observer and queued work hold it weakly.
class AppDelegate final : public ApplicationDelegate,
                          public std::enable_shared_from_this<AppDelegate> {
 public:
  AppDelegate(const Platform& platform, HUDAccess hud);
  ~AppDelegate() override;
  AppDelegate(const AppDelegate&) = delete;
  AppDelegate& operator=(const AppDelegate&) = delete;

  void applicationDidFinishLaunching() override;
  void applicationWillTerminate() override;
  bool performAction(std::string_view selector) override;

  // The display name of the selected keyboard input source; never fails.
  std::string getCurrentInputSource() const;
  // The one-character menu-bar badge for a display name.
  std::string shortBadge(std::string_view name) const;
  // Brings the badge and the menu's first line in line with the current name.
  // Callable from any thread; the work always happens on the main thread.
  void updateStatusMenu();
  // The quit item's action: cleans up, then asks the application to terminate.
  void quitApp();

  const std::string& currentName() const { return currentInputSource; }
  WallTime lastActivation() const { return lastActivatedAt; }

 private:
  std::optional<std::string> TISPropertyAsString(const InputSource& source, PropertyKey key) const;
  void handleInputSourceChange();
  void setupStatusItem();
  void applyStatusMenu();
  void cleanup();
  // Writes one log line; names in it are outside text, so controls are escaped.
  void writeLog(const std::string& line) const;

  Platform platform;
  HUDAccess hud;

  std::shared_ptr<StatusItem> statusItem;
  std::string currentInputSource;
  // When another application was last activated. Nothing reads it yet: every
  // change of name is announced, however recently the user switched apps.
  WallTime lastActivatedAt = WallClock::distantPast();
  [[maybe_unused]] const double appSwitchThresholdMs = 600.0;
  std::shared_ptr<ObserverToken> appObserver;
  std::shared_ptr<ObserverToken> distToken;
  [[maybe_unused]] const bool notifyAlways = true;
  // Each change, spoken to a screen reader once the changes settle.
  ChangeAnnouncer announcer;
};

}  // namespace vellicor
