#include "platform/qt/tray_menu.h"

#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <algorithm>

namespace vellicor::qt {
namespace {

// Eliding is measured, then checked against the menu's own size hint; a style
// that pads items unevenly may need a second pass.
constexpr int kFitPasses = 4;

// An action's text reads '&' as a mnemonic and a tab as the start of the
// shortcut column; a title shows neither.
QString escapedForMenu(QString text) {
  text.replace(QLatin1Char('&'), QLatin1String("&&"));
  return text.replace(QLatin1Char('\t'), QLatin1Char(' '));
}

}  // namespace

TrayMenu::TrayMenu() {
  connect(this, &QMenu::aboutToShow, this, [this] {
    // Typed as a popup menu for compositors and other clients. Qt writes the
    // type only onto a window that exists and only when the attribute changes,
    // and it makes the popup's window anew each time it opens.
    winId();
    setAttribute(Qt::WA_X11NetWmWindowTypePopupMenu, false);
    setAttribute(Qt::WA_X11NetWmWindowTypePopupMenu, true);
    // Fitted to the screen it is about to open on: the tray sits where the pointer is.
    fitTo(targetScreen());
  });
}

void TrayMenu::setTitle(QAction* action, const QString& title) {
  action->setData(title);
  action->setText(escapedForMenu(title));
  if (isVisible()) {
    // Qt has already resized the open menu to the new text, to the right.
    fitTo(screen());
    keepInside(screen());
  }
}

QString TrayMenu::title(const QAction& action) {
  return action.data().toString();
}

void TrayMenu::keyPressEvent(QKeyEvent* event) {
  const QKeySequence pressed(event->keyCombination());
  for (QAction* action : actions()) {
    if (action->isEnabled() && !action->shortcut().isEmpty() &&
        action->shortcut().matches(pressed) == QKeySequence::ExactMatch) {
      // As choosing the item with the pointer does: the menu closes, then the
      // action runs.
      hide();
      action->trigger();
      return;
    }
  }
  QMenu::keyPressEvent(event);
}

QScreen* TrayMenu::targetScreen() const {
  if (QScreen* under = QGuiApplication::screenAt(QCursor::pos())) {
    return under;
  }
  return QGuiApplication::primaryScreen();
}

void TrayMenu::fitTo(QScreen* screen) {
  QList<QAction*> titled;
  for (QAction* action : actions()) {
    if (!action->isSeparator() && action->data().isValid()) {
      titled.append(action);
      action->setText(escapedForMenu(title(*action)));
    }
  }
  if (screen == nullptr) {
    return;
  }
  const int room = screen->availableGeometry().width();
  const QFontMetrics metrics(font());
  const auto shownWidth = [&metrics](const QAction& action) {
    return metrics.horizontalAdvance(
        QString(action.text()).replace(QLatin1String("&&"), QLatin1String("&")));
  };
  for (int pass = 0; pass < kFitPasses; ++pass) {
    const int excess = sizeHint().width() - room;
    if (excess <= 0) {
      return;
    }
    int widest = 0;
    for (const QAction* action : titled) {
      widest = std::max(widest, shownWidth(*action));
    }
    // The menu adds its margins and the shortcut column to its widest title.
    const int textRoom = std::max(0, widest - excess);
    for (QAction* action : titled) {
      if (shownWidth(*action) > textRoom) {
        action->setText(
            escapedForMenu(metrics.elidedText(title(*action), Qt::ElideMiddle, textRoom)));
      }
    }
  }
}

void TrayMenu::keepInside(QScreen* screen) {
  if (screen == nullptr) {
    return;
  }
  const QRect area = screen->availableGeometry();
  QRect frame = geometry();
  frame.setSize(sizeHint());
  if (frame.right() > area.right()) {
    frame.moveRight(area.right());
  }
  if (frame.left() < area.left()) {
    frame.moveLeft(area.left());
  }
  if (frame.bottom() > area.bottom()) {
    frame.moveBottom(area.bottom());
  }
  if (frame.top() < area.top()) {
    frame.moveTop(area.top());
  }
  setGeometry(frame);
}

}  // namespace vellicor::qt
