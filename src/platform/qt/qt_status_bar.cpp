#include "platform/qt/qt_status_bar.h"

#include <QAction>
#include <QCursor>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <algorithm>

#include "platform/qt/badge_icon.h"
#include "platform/qt/qt_application.h"

namespace vellicor::qt {
namespace {

QString fromUtf8(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// An action's text reads '&' as a mnemonic and a tab as the start of the
// shortcut column; a menu title shows neither.
QString actionText(const std::string& title) {
  QString text = fromUtf8(title);
  text.replace(QLatin1Char('&'), QLatin1String("&&"));
  text.replace(QLatin1Char('\t'), QLatin1Char(' '));
  return text;
}

QString shownText(const QAction& action) {
  QString text = action.text();
  text.replace(QLatin1String("&&"), QLatin1String("&"));
  return text;
}

class QtMenuItem final : public MenuItem {
 public:
  explicit QtMenuItem(QAction* action) : action_(action) {}
  void setTitle(const std::string& title) override {
    if (action_ != nullptr) {
      action_->setText(actionText(title));
    }
  }

 private:
  QAction* action_;  // owned by the menu, which outlives its items' use
};

}  // namespace

QtMenu::QtMenu(QtApplication& application)
    : application_(application), menu_(std::make_unique<QMenu>()) {}

QtMenu::~QtMenu() = default;

void QtMenu::addItem(const std::string& title, const std::string& action,
                     const std::string& keyEquivalent) {
  QAction* item = menu_->addAction(actionText(title));
  // As on macOS, an item without an action is shown disabled.
  item->setEnabled(!action.empty());
  if (!keyEquivalent.empty()) {
    // A menu key equivalent is the Command key with the letter; here, Ctrl.
    item->setShortcut(QKeySequence(QStringLiteral("Ctrl+") + fromUtf8(keyEquivalent).toUpper()));
    item->setShortcutVisibleInContextMenu(true);
  }
  if (!action.empty()) {
    QObject::connect(item, &QAction::triggered,
                     [this, action] { application_.sendAction(action); });
  }
  items_.push_back(std::make_shared<QtMenuItem>(item));
}

void QtMenu::addSeparatorItem() {
  items_.push_back(std::make_shared<QtMenuItem>(menu_->addSeparator()));
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
    out.push_back(action->isSeparator() ? "---" : shownText(*action).toStdString());
  }
  return out;
}

class QtStatusItem::Button final : public StatusBarButton {
 public:
  explicit Button(QSystemTrayIcon* tray) : tray_(tray) {}
  void setTitle(const std::string& title) override {
    title_ = title;
    if (tray_ == nullptr) {
      return;
    }
    tray_->setIcon(badgeIcon(title));
    tray_->setToolTip(fromUtf8(title));
    tray_->show();
  }
  const std::string& title() const { return title_; }

 private:
  QPointer<QSystemTrayIcon> tray_;  // gone once the item is removed
  std::string title_;
};

QtStatusItem::QtStatusItem()
    : tray_(std::make_unique<QSystemTrayIcon>()), button_(std::make_shared<Button>(tray_.get())) {
  QObject::connect(tray_.get(), &QSystemTrayIcon::activated,
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     // The context menu already opens on a right click.
                     if (reason == QSystemTrayIcon::Trigger && tray_->contextMenu() != nullptr) {
                       tray_->contextMenu()->popup(QCursor::pos());
                     }
                   });
}

QtStatusItem::~QtStatusItem() = default;

std::shared_ptr<StatusBarButton> QtStatusItem::button() {
  return tray_ ? button_ : nullptr;
}

void QtStatusItem::setMenu(std::shared_ptr<Menu> menu) {
  menu_ = std::move(menu);
  const auto* qtMenu = dynamic_cast<const QtMenu*>(menu_.get());
  if (tray_) {
    tray_->setContextMenu(qtMenu != nullptr ? qtMenu->widget() : nullptr);
  }
}

void QtStatusItem::remove() {
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
