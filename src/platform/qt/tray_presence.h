#pragma once

#include <QDBusServiceWatcher>
#include <QObject>
#include <functional>
#include <memory>

namespace vellicor::qt {

class SelectionWatch;
class SessionBus;

// Whether a system tray can show the status item: an XEmbed tray (the
// screen's _NET_SYSTEM_TRAY_S selection owned) or a StatusNotifierWatcher on
// the session bus with its host registered, as a Wayland desktop's bar has.
// `changed` runs once the answer is first known (the session bus answered or
// was given up on, and the watcher asked), then each time it changes.
class TrayPresence final : public QObject {
  Q_OBJECT

 public:
  TrayPresence(SessionBus& sessionBus, std::function<void(bool present)> changed);
  ~TrayPresence() override;

 private slots:
  void hostRegistered();

 private:
  void watchNotifiers();
  void askHost();
  void update();

  std::function<void(bool)> changed_;
  std::unique_ptr<SelectionWatch> xembed_;
  QDBusServiceWatcher watcher_;
  bool notifierHost_ = false;
  bool known_ = false;
  bool asking_ = false;
  bool present_ = false;
  bool reported_ = false;
};

}  // namespace vellicor::qt
