#include "platform/qt/qt_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLoggingCategory>
#include <QWidget>
#include <QtGlobal>

#include "platform/common/outside_text.h"
#include "platform/qt/qt_windows.h"

namespace vellicor::qt {
namespace {

const char kTrayIconClass[] = "QSystemTrayIconSys";

// The panel as a screen reader sees it: a notification named for the text it
// shows, with nothing inside it to read again.
class PanelAccessible final : public QAccessibleWidget {
 public:
  explicit PanelAccessible(QWidget* panel) : QAccessibleWidget(panel, QAccessible::Notification) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) {
      const QString name = widget()->accessibleName();
      return name.isEmpty() ? widget()->windowTitle() : name;
    }
    return QAccessibleWidget::text(t);
  }
  int childCount() const override { return 0; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.focusable = false;
    s.focused = false;
    s.active = false;
    return s;
  }
};

// The tray icon of an XEmbed tray, named for its tool tip ("현재 언어: 한국어")
// rather than for nothing.
class TrayIconAccessible final : public QAccessibleWidget {
 public:
  explicit TrayIconAccessible(QWidget* icon) : QAccessibleWidget(icon, QAccessible::Button) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) {
      return widget()->toolTip();
    }
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr) {
    return nullptr;
  }
  if (widget->objectName() == QtAccessibility::panelName()) {
    return new PanelAccessible(widget);
  }
  if (className == QLatin1String(kTrayIconClass)) {
    return new TrayIconAccessible(widget);
  }
  return nullptr;
}

}  // namespace

QString QtAccessibility::panelName() {
  return QStringLiteral("vellicor-panel");
}

void QtAccessibility::install() {
  QAccessible::installFactory(factory);
  // Qt's bridge warns of each kind of event a screen reader subscribes to
  // that it does not know, on the program's log.
  QLoggingCategory::setFilterRules(QStringLiteral("qt.accessibility.atspi.warning=false"));
}

void QtAccessibility::announce(const std::string& text) {
  if (!QAccessible::isActive()) {
    return;  // nobody listens
  }
  QWidget* panel = nullptr;
  for (const auto& window : windows_.windows()) {
    if (window->widget()->objectName() == panelName()) {
      panel = window->widget();
    }
  }
  if (panel == nullptr) {
    return;
  }
  const std::string shown = oneLineLabel(text);
  const QString name = QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size()));
  // Named before the event, which the screen reader reads the name for.
  panel->setAccessibleName(name);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  QAccessibleAnnouncementEvent event(panel, name);
  event.setPoliteness(QAccessible::AnnouncementPoliteness::Assertive);
  QAccessible::updateAccessibility(&event);
#else
  QAccessibleEvent event(panel, QAccessible::ObjectShow);
  QAccessible::updateAccessibility(&event);
#endif
}

}  // namespace vellicor::qt
