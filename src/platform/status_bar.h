#pragma once

#include <memory>
#include <string>

namespace vellicor {

class MenuItem {
 public:
  virtual ~MenuItem() = default;
  virtual void setTitle(const std::string& title) = 0;
};

class Menu {
 public:
  virtual ~Menu() = default;
  // Appends an item. An empty `action` means the item has none; otherwise it is
  // the selector the application delivers to its delegate when the item is chosen.
  virtual void addItem(const std::string& title, const std::string& action,
                       const std::string& keyEquivalent) = 0;
  virtual void addSeparatorItem() = 0;
  virtual long numberOfItems() const = 0;
  // The item at `index`, or null.
  virtual std::shared_ptr<MenuItem> itemAtIndex(long index) = 0;
};

class StatusBarButton {
 public:
  virtual ~StatusBarButton() = default;
  virtual void setTitle(const std::string& title) = 0;
};

class StatusItem {
 public:
  virtual ~StatusItem() = default;
  // The item's button, or null.
  virtual std::shared_ptr<StatusBarButton> button() = 0;
  // The attached menu, or null.
  virtual std::shared_ptr<Menu> menu() = 0;
  virtual void setMenu(std::shared_ptr<Menu> menu) = 0;
};

inline constexpr double kVariableStatusItemLength = -1.0;

class StatusBar {
 public:
  virtual ~StatusBar() = default;
  virtual std::shared_ptr<StatusItem> statusItemWithLength(double length) = 0;
  virtual void removeStatusItem(const std::shared_ptr<StatusItem>& item) = 0;
  // A new, empty menu.
  virtual std::shared_ptr<Menu> makeMenu() = 0;
};

}  // namespace vellicor
