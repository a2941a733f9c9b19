#pragma once

#include <QMenu>
#include <QString>

class QScreen;

namespace vellicor::qt {

// The status item's menu as a popup that behaves like a menu-bar menu:
// - a shortcut shown beside an item (Ctrl+Q) chooses that item while the menu
//   is open, as the menu's own key equivalent;
// - it stays on its screen: an item title too wide for the screen is shown
//   elided in the middle, and a menu that grows while open (a longer title) is
//   moved back inside the screen. Each item keeps its whole title.
class TrayMenu final : public QMenu {
 public:
  TrayMenu();

  // Sets an item's whole title; what is shown may be elided to fit the screen.
  void setTitle(QAction* action, const QString& title);
  static QString title(const QAction& action);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QScreen* targetScreen() const;
  void fitTo(QScreen* screen);
  void keepInside(QScreen* screen);
};

}  // namespace vellicor::qt
