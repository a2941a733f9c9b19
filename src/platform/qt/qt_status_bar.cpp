#include "platform/qt/qt_status_bar.h"

#include <QAction>
#include <QCursor>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <algorithm>
#include <functional>
#include <utility>

#include "platform/qt/badge_icon.h"
#include "platform/qt/qt_application.h"
#include "platform/qt/sources/dbus/session_bus.h"
#include "platform/qt/tray_menu.h"

namespace vellicor::qt {
namespace {

QString fromUtf8(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

class QtMenuItem final : public MenuItem {
 public:
  QtMenuItem(TrayMenu* menu, QAction* action) : menu_(menu), action_(action) {}
  void setTitle(const std::string& title) override {
    if (menu_ != nullptr && action_ != nullptr) {
      menu_->setTitle(action_, fromUtf8(title));
    }
  }

 private:
  // Owned by Qt; gone once the menu is.
  QPointer<TrayMenu> menu_;
  QPointer<QAction> action_;
};

}  // namespace

QtMenu::QtMenu(QtApplication& application)
    : application_(application), menu_(makeDeferred<TrayMenu>()) {}

QtMenu::~QtMenu() = default;

void QtMenu::addItem(const std::string& title, const std::string& action,
                     const std::string& keyEquivalent) {
  QAction* item = menu_->addAction(QString());
  menu_->setTitle(item, fromUtf8(title));
  // As on macOS, an item without an action is shown disabled.
  item->setEnabled(!action.empty());
  if (!keyEquivalent.empty()) {
    // A menu key equivalent is the Command key with the letter; here, Ctrl.
    item->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + fromUtf8(keyEquivalent).toUpper()));
    item->setShortcutVisibleInContextMenu(true);
  }
  if (!action.empty()) {
    // Holds the application, not this menu, which may be gone before the QMenu is.
    QObject::connect(item, &QAction::triggered,
                     [&app = application_, action] { app.sendAction(action); });
  }
  items_.push_back(std::make_shared<QtMenuItem>(menu_.get(), item));
}

void QtMenu::addSeparatorItem() {
  items_.push_back(std::make_shared<QtMenuItem>(menu_.get(), menu_->addSeparator()));
}

long QtMenu::numberOfItems() const {
  return static_cast<long>(items_.size());
}

std::shared_ptr<MenuItem> QtMenu::itemAtIndex(long index) {
  if (index < 0 || index >= numberOfItems()) {
    return nullptr;
  }
  return items_[static_cast<size_t>(index)];
}

std::vector<std::string> QtMenu::titles() const {
  std::vector<std::string> out;
  for (const QAction* action : menu_->actions()) {
    out.push_back(action->isSeparator() ? "---" : TrayMenu::title(*action).toStdString());
  }
  return out;
}

class QtStatusItem::Button final : public StatusBarButton {
 public:
  // `describe` gives the menu's first line, which names the source: the
  // icon's tool tip, and so its accessible name.
  explicit Button(std::function<QString()> describe) : describe_(std::move(describe)) {}
  void setTitle(const std::string& title) override {
    title_ = title;
    show();
  }
  void attach(QSystemTrayIcon* tray) {
    tray_ = tray;
    if (!title_.empty()) {
      show();
    }
  }
  const std::string& title() const { return title_; }

 private:
  void show() {
    if (tray_ == nullptr) {
      return;
    }
    tray_->setIcon(badgeIcon(title_));
    const QString description = describe_();
    tray_->setToolTip(description.isEmpty() ? fromUtf8(title_) : description);
    tray_->show();
  }

  std::function<QString()> describe_;
  QPointer<QSystemTrayIcon> tray_;  // none before the item is attached, and once removed
  std::string title_;
};

QtStatusItem::QtStatusItem()
    : button_(std::make_shared<Button>([this] {
        const auto* menu = dynamic_cast<const QtMenu*>(menu_.get());
        const std::vector<std::string> titles = menu ? menu->titles() : std::vector<std::string>();
        return titles.empty() ? QString() : fromUtf8(titles.front());
      })) {}

QtStatusItem::~QtStatusItem() = default;

void QtStatusItem::attach() {
  if (removed_ || tray_) {
    return;
  }
  tray_ = makeDeferred<QSystemTrayIcon>();
  QSystemTrayIcon* tray = tray_.get();
  // The icon is the connection's context: an activation still queued when
  // the icon goes is dropped with it.
  QObject::connect(tray, &QSystemTrayIcon::activated, tray,
                   [tray](QSystemTrayIcon::ActivationReason reason) {
                     // The context menu already opens on a right click.
                     if (reason == QSystemTrayIcon::Trigger && tray->contextMenu() != nullptr) {
                       tray->contextMenu()->popup(QCursor::pos());
                     }
                   });
  setMenu(menu_);
  button_->attach(tray);
}

std::shared_ptr<StatusBarButton> QtStatusItem::button() {
  return removed_ ? nullptr : button_;
}

void QtStatusItem::setMenu(std::shared_ptr<Menu> menu) {
  menu_ = std::move(menu);
  const auto* qtMenu = dynamic_cast<const QtMenu*>(menu_.get());
  if (tray_) {
    tray_->setContextMenu(qtMenu != nullptr ? qtMenu->widget() : nullptr);
  }
}

void QtStatusItem::remove() {
  removed_ = true;
  if (tray_) {
    tray_->hide();
    tray_->setContextMenu(nullptr);
  }
  tray_.reset();
}

const std::string& QtStatusItem::title() const {
  return button_->title();
}

std::shared_ptr<StatusItem> QtStatusBar::statusItemWithLength(double) {
  auto item = std::make_shared<QtStatusItem>();
  items_.push_back(item);
  sessionBus_.whenSettled([weak = std::weak_ptr<QtStatusItem>(item)] {
    if (auto live = weak.lock()) {
      live->attach();
    }
  });
  return item;
}

void QtStatusBar::removeStatusItem(const std::shared_ptr<StatusItem>& item) {
  const auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) {
    return;
  }
  (*it)->remove();
  items_.erase(it);
}

std::shared_ptr<Menu> QtStatusBar::makeMenu() {
  return std::make_shared<QtMenu>(application_);
}

}  // namespace vellicor::qt
