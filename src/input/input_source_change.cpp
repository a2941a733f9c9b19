#include <string>

#include "app/app_delegate.h"
#include "hud/hud_manager.h"
#include "input/display_name.h"
#include "platform/text.h"

namespace vellicor {

void AppDelegate::handleInputSourceChange() {
  std::string newName = getCurrentInputSource();
  if (platform.text.canonicallyEqual(newName, currentInputSource)) {
    return;
  }
  // Logged before the state changes, so the line names the value replaced.
  writeLog("입력 언어 변경: " + currentInputSource + " → " + newName);
  currentInputSource = newName;
  updateStatusMenu();
  hud()->show(newName, kChangeHUDDuration);
  announcer.changed(newName);
}

}  // namespace vellicor
