#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/qt/deferred_delete.h"
#include "platform/status_bar.h"

class QSystemTrayIcon;

namespace vellicor::qt {

class QtApplication;
class SessionBus;
class TrayMenu;

// Menus are QMenus whose chosen actions reach the delegate through the
// application; a menu title is shown as written (an ampersand is not a mnemonic).
// The QMenu is freed from the event loop, never inside its own event handling.
class QtMenu final : public Menu {
 public:
  explicit QtMenu(QtApplication& application);
  ~QtMenu() override;
  void addItem(const std::string& title, const std::string& action,
               const std::string& keyEquivalent) override;
  void addSeparatorItem() override;
  long numberOfItems() const override;
  std::shared_ptr<MenuItem> itemAtIndex(long index) override;

  TrayMenu* widget() const { return menu_.get(); }
  // Each item's whole title, separators as "---".
  std::vector<std::string> titles() const;

 private:
  QtApplication& application_;
  DeferredPtr<TrayMenu> menu_;
  std::vector<std::shared_ptr<MenuItem>> items_;
};

// The status item is a tray icon showing the badge; its menu opens on either click.
// Qt may reach the session bus to make a tray icon (for a StatusNotifierItem),
// so the icon is made once it can do so without waiting; until then the
// title and menu wait for it. Removing the item hides the icon at once; the icon and the
// menu are freed from the event loop, since the removal may come from the
// menu's own quit action.
//
// Checklist: button title, menu and removal are exact. The length is ignored:
// a tray icon is always square. The icon waits for the first title, and Qt
// docks it when a tray host appears or comes back.
class QtStatusItem final : public StatusItem {
 public:
  QtStatusItem();
  ~QtStatusItem() override;
  std::shared_ptr<StatusBarButton> button() override;
  std::shared_ptr<Menu> menu() override { return menu_; }
  void setMenu(std::shared_ptr<Menu> menu) override;

  // Makes the tray icon, with the title and menu set so far.
  void attach();
  void remove();
  // Null until attached, and once removed.
  QSystemTrayIcon* tray() const { return tray_.get(); }
  const std::string& title() const;

 private:
  class Button;
  DeferredPtr<QSystemTrayIcon> tray_;
  std::shared_ptr<Button> button_;
  std::shared_ptr<Menu> menu_;
  bool removed_ = false;
};

class QtStatusBar final : public StatusBar {
 public:
  QtStatusBar(QtApplication& application, SessionBus& sessionBus)
      : application_(application), sessionBus_(sessionBus) {}
  std::shared_ptr<StatusItem> statusItemWithLength(double length) override;
  void removeStatusItem(const std::shared_ptr<StatusItem>& item) override;
  std::shared_ptr<Menu> makeMenu() override;

  // The items in the bar, oldest first.
  const std::vector<std::shared_ptr<QtStatusItem>>& items() const { return items_; }

 private:
  QtApplication& application_;
  SessionBus& sessionBus_;
  std::vector<std::shared_ptr<QtStatusItem>> items_;
};

}  // namespace vellicor::qt
