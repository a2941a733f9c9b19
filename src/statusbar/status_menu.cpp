#include <memory>
#include <string>

#include "app/app_delegate.h"
#include "platform/application.h"
#include "platform/common/outside_text.h"
#include "platform/status_bar.h"
#include "platform/threads.h"

namespace vellicor {
namespace {

constexpr std::string_view kNamePrefix = "현재 언어: ";
constexpr std::string_view kQuitTitle = "종료";
constexpr std::string_view kQuitAction = "quitApp";
constexpr std::string_view kQuitKey = "q";

// The menu shows the name on one line, whatever breaks it holds, and its
// other controls as the pictures of controls.
std::string nameTitle(const std::string& name) {
  return std::string(kNamePrefix) + oneLineLabel(name);
}

}  // namespace

void AppDelegate::setupStatusItem() {
  statusItem = platform.statusBar.statusItemWithLength(kVariableStatusItemLength);
  if (statusItem) {
    if (auto button = statusItem->button()) {
      button->setTitle(shortBadge(currentInputSource));
    }
  }
  auto menu = platform.statusBar.makeMenu();
  menu->addItem(nameTitle(currentInputSource), "", "");
  menu->addSeparatorItem();
  menu->addItem(std::string(kQuitTitle), std::string(kQuitAction), std::string(kQuitKey));
  if (statusItem) {
    statusItem->setMenu(menu);
  }
}

void AppDelegate::updateStatusMenu() {
  // The step holds the delegate weakly: a pending update neither keeps it alive
  // nor touches it once it is gone.
  auto step = [weak = weak_from_this()] {
    if (auto self = weak.lock()) {
      self->applyStatusMenu();
    }
  };
  if (platform.threads.isMainThread()) {
    step();
  } else {
    platform.threads.asyncMain(std::move(step));
  }
}

// Reads the name when it runs, not when the update was asked for.
void AppDelegate::applyStatusMenu() {
  if (!statusItem) {
    return;
  }
  if (auto menu = statusItem->menu(); menu && menu->numberOfItems() >= 1) {
    if (auto item = menu->itemAtIndex(0)) {
      item->setTitle(nameTitle(currentInputSource));
    }
  }
  if (statusItem) {
    if (auto button = statusItem->button()) {
      button->setTitle(shortBadge(currentInputSource));
    }
  }
}

void AppDelegate::quitApp() {
  cleanup();
  platform.application.terminate();
}

}  // namespace vellicor
