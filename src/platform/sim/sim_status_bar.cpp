#include "platform/sim/sim_status_bar.h"

#include <algorithm>

#include "platform/sim/sim_ui_probe.h"

namespace vellicor::sim {

void SimMenuItem::setTitle(const std::string& newTitle) {
  probe.touch();
  title = newTitle;
  ++titleSets;
}

void SimMenu::addItem(const std::string& title, const std::string& action,
                      const std::string& keyEquivalent) {
  probe.touch();
  auto item = std::make_shared<SimMenuItem>(probe);
  item->title = title;
  item->action = action;
  item->keyEquivalent = keyEquivalent;
  items.push_back(item);
}

void SimMenu::addSeparatorItem() {
  probe.touch();
  auto item = std::make_shared<SimMenuItem>(probe);
  item->separator = true;
  items.push_back(item);
}

long SimMenu::numberOfItems() const {
  probe.touch();
  return static_cast<long>(items.size());
}

std::shared_ptr<MenuItem> SimMenu::itemAtIndex(long index) {
  probe.touch();
  if (index < 0 || index >= numberOfItems()) {
    return nullptr;
  }
  return items[static_cast<std::size_t>(index)];
}

void SimButton::setTitle(const std::string& newTitle) {
  probe.touch();
  title = newTitle;
  ++titleSets;
}

std::shared_ptr<StatusBarButton> SimStatusItem::button() {
  probe.touch();
  return simButton;
}

std::shared_ptr<Menu> SimStatusItem::menu() {
  probe.touch();
  return attachedMenu;
}

void SimStatusItem::setMenu(std::shared_ptr<Menu> newMenu) {
  probe.touch();
  attachedMenu = std::move(newMenu);
}

SimMenu* SimStatusItem::simMenu() const {
  return dynamic_cast<SimMenu*>(attachedMenu.get());
}

std::shared_ptr<StatusItem> SimStatusBar::statusItemWithLength(double length) {
  probe_.touch();
  auto item = std::make_shared<SimStatusItem>(probe_);
  item->length = length;
  if (itemsHaveButtons_) {
    item->simButton = std::make_shared<SimButton>(probe_);
  }
  installed_.push_back(item);
  ++created_;
  return item;
}

void SimStatusBar::removeStatusItem(const std::shared_ptr<StatusItem>& item) {
  probe_.touch();
  const auto it = std::find(installed_.begin(), installed_.end(), item);
  if (it != installed_.end()) {
    (*it)->installed = false;
    installed_.erase(it);
    ++removals_;
  }
}

std::shared_ptr<Menu> SimStatusBar::makeMenu() {
  probe_.touch();
  return std::make_shared<SimMenu>(probe_);
}

}  // namespace vellicor::sim
