#pragma once

#include <QDBusMessage>
#include <QObject>
#include <functional>

namespace vellicor::qt {

class SessionBus;

// Qt turns its screen-reader bridge on only as it starts, and only if the
// desktop's accessibility bus (org.a11y.Bus) then says that a screen reader
// or other assistive technology is on. So a screen reader started after the
// program would never hear it. This follows the bus's status
// (org.a11y.Status, its ScreenReaderEnabled and IsEnabled, as they change)
// and runs `turnedOn` when one of them turns true and Qt's bridge is still
// off a second later (later Qt releases follow the status themselves).
// Only the owner of org.a11y.Bus is heard. Nothing is asked or sent: while
// no screen reader starts, it costs nothing.
class ScreenReaderWatch final : public QObject {
  Q_OBJECT

 public:
  ScreenReaderWatch(SessionBus& sessionBus, std::function<void()> turnedOn);

 private slots:
  void propertiesChanged(const QDBusMessage& message);

 private:
  std::function<void()> turnedOn_;
  bool ran_ = false;
};

}  // namespace vellicor::qt
