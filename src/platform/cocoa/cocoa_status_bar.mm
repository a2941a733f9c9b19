#include "platform/cocoa/cocoa_status_bar.h"

#import <AppKit/AppKit.h>

#include <string>

#include "platform/cocoa/cocoa_mapping.h"
#include "platform/cocoa/cocoa_strings.h"

namespace vellicor::cocoa {
namespace {

class CocoaMenuItem final : public MenuItem {
 public:
  explicit CocoaMenuItem(NSMenuItem* item) : item_(item) {}
  void setTitle(const std::string& title) override { [item_ setTitle:toNSString(title)]; }

 private:
  NSMenuItem* item_;
};

class CocoaMenu final : public Menu {
 public:
  CocoaMenu() : menu_([[NSMenu alloc] init]) {}
  void addItem(const std::string& title, const std::string& action,
               const std::string& keyEquivalent) override {
    const std::string selector = actionSelectorName(action);
    [menu_ addItemWithTitle:toNSString(title)
                     action:selector.empty() ? nullptr : NSSelectorFromString(toNSString(selector))
              keyEquivalent:toNSString(keyEquivalent)];
  }
  void addSeparatorItem() override { [menu_ addItem:[NSMenuItem separatorItem]]; }
  long numberOfItems() const override { return static_cast<long>([menu_ numberOfItems]); }
  std::shared_ptr<MenuItem> itemAtIndex(long index) override {
    if (index < 0 || index >= numberOfItems()) {
      return nullptr;
    }
    return std::make_shared<CocoaMenuItem>([menu_ itemAtIndex:static_cast<NSInteger>(index)]);
  }
  NSMenu* menu() const { return menu_; }

 private:
  NSMenu* menu_;
};

// The button shows the badge; VoiceOver reads it by the menu's first line,
// which names the source ("현재 언어: 한국어"), rather than by "A" or "한".
class CocoaButton final : public StatusBarButton {
 public:
  CocoaButton(NSStatusItem* item, NSStatusBarButton* button) : item_(item), button_(button) {}
  void setTitle(const std::string& title) override {
    [button_ setTitle:toNSString(title)];
    NSMenu* menu = [item_ menu];
    if (menu != nil && [menu numberOfItems] > 0) {
      NSString* label = [[menu itemAtIndex:0] title];
      [button_ setAccessibilityLabel:label];
      NSAccessibilityPostNotification(button_, NSAccessibilityTitleChangedNotification);
    }
  }

 private:
  NSStatusItem* item_;
  NSStatusBarButton* button_;
};

class CocoaStatusItem final : public StatusItem {
 public:
  explicit CocoaStatusItem(NSStatusItem* item) : item_(item) {}
  std::shared_ptr<StatusBarButton> button() override {
    NSStatusBarButton* button = [item_ button];
    return button != nil ? std::make_shared<CocoaButton>(item_, button) : nullptr;
  }
  std::shared_ptr<Menu> menu() override { return [item_ menu] != nil ? menu_ : nullptr; }
  void setMenu(std::shared_ptr<Menu> menu) override {
    menu_ = std::move(menu);
    const auto* cocoa = dynamic_cast<const CocoaMenu*>(menu_.get());
    [item_ setMenu:cocoa != nullptr ? cocoa->menu() : nil];
  }
  NSStatusItem* item() const { return item_; }

 private:
  NSStatusItem* item_;
  std::shared_ptr<Menu> menu_;
};

}  // namespace

std::shared_ptr<StatusItem> CocoaStatusBar::statusItemWithLength(double length) {
  // kVariableStatusItemLength is NSVariableStatusItemLength's value.
  NSStatusItem* item = [[NSStatusBar systemStatusBar] statusItemWithLength:length];
  return item != nil ? std::make_shared<CocoaStatusItem>(item) : nullptr;
}

void CocoaStatusBar::removeStatusItem(const std::shared_ptr<StatusItem>& item) {
  if (const auto* cocoa = dynamic_cast<const CocoaStatusItem*>(item.get())) {
    [[NSStatusBar systemStatusBar] removeStatusItem:cocoa->item()];
  }
}

std::shared_ptr<Menu> CocoaStatusBar::makeMenu() {
  return std::make_shared<CocoaMenu>();
}

}  // namespace vellicor::cocoa
