#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/status_bar.h"

namespace vellicor::sim {

class SimUiProbe;

struct SimMenuItem final : MenuItem {
  explicit SimMenuItem(const SimUiProbe& probe) : probe(probe) {}
  void setTitle(const std::string& newTitle) override;

  const SimUiProbe& probe;
  std::string title;
  std::string action;
  std::string keyEquivalent;
  bool separator = false;
  std::size_t titleSets = 0;
};

struct SimMenu final : Menu {
  explicit SimMenu(const SimUiProbe& probe) : probe(probe) {}
  void addItem(const std::string& title, const std::string& action,
               const std::string& keyEquivalent) override;
  void addSeparatorItem() override;
  long numberOfItems() const override;
  std::shared_ptr<MenuItem> itemAtIndex(long index) override;

  const SimUiProbe& probe;
  std::vector<std::shared_ptr<SimMenuItem>> items;
};

struct SimButton final : StatusBarButton {
  explicit SimButton(const SimUiProbe& probe) : probe(probe) {}
  void setTitle(const std::string& newTitle) override;

  const SimUiProbe& probe;
  std::string title;
  std::size_t titleSets = 0;
};

struct SimStatusItem final : StatusItem {
  explicit SimStatusItem(const SimUiProbe& probe) : probe(probe) {}
  std::shared_ptr<StatusBarButton> button() override;
  std::shared_ptr<Menu> menu() override;
  void setMenu(std::shared_ptr<Menu> newMenu) override;
  // The attached menu as the simulator built it, or null.
  SimMenu* simMenu() const;

  const SimUiProbe& probe;
  double length = 0;
  std::shared_ptr<SimButton> simButton;
  std::shared_ptr<Menu> attachedMenu;
  bool installed = true;
};

// The menu bar. Tests can make the next items come without a button.
class SimStatusBar final : public StatusBar {
 public:
  explicit SimStatusBar(const SimUiProbe& probe) : probe_(probe) {}

  std::shared_ptr<StatusItem> statusItemWithLength(double length) override;
  void removeStatusItem(const std::shared_ptr<StatusItem>& item) override;
  std::shared_ptr<Menu> makeMenu() override;

  // The items shown in the menu bar, in the order they were added.
  const std::vector<std::shared_ptr<SimStatusItem>>& installed() const { return installed_; }
  std::size_t created() const { return created_; }
  std::size_t removals() const { return removals_; }
  void setItemsHaveButtons(bool haveButtons) { itemsHaveButtons_ = haveButtons; }

 private:
  const SimUiProbe& probe_;
  std::vector<std::shared_ptr<SimStatusItem>> installed_;
  std::size_t created_ = 0;
  std::size_t removals_ = 0;
  bool itemsHaveButtons_ = true;
};

}  // namespace vellicor::sim
