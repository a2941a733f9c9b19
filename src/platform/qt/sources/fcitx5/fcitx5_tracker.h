#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/qt/sources/fcitx5/fcitx5_naming.h"
#include "platform/qt/sources/fcitx5/fcitx5_senders.h"
#include "platform/qt/sources/source_tracker.h"

namespace vellicor::qt {

class SessionBus;

// Fcitx5's current input method, from its controller on the session bus, while
// Fcitx5 runs. Fcitx5 tells no ordinary client of a switch, so the tracker asks
// again when something says one may have happened: the NewIcon signal of
// Fcitx5's own tray item (when a StatusNotifierWatcher lets it have one), a
// keymap change, another window activated. Only while Fcitx5 runs and no
// watcher is there does it ask on its own, four times a second; the asking
// stops as soon as a watcher appears or Fcitx5 goes. Fcitx5 is never started
// by being asked.
class Fcitx5Tracker final : public QObject, public SourceTracker {
  Q_OBJECT

 public:
  // Starts once the session bus answers, on the program's own connection to
  // it. `note` writes one line to the log.
  Fcitx5Tracker(SessionBus& sessionBus, std::function<void()> changed,
                std::function<void(const std::string&)> note);
  ~Fcitx5Tracker() override;

  std::optional<NamedSource> current() const override { return running_ ? current_ : std::nullopt; }
  bool settled() const override { return settled_; }
  void recheck() override { ask(); }

 private slots:
  void newIcon(const QDBusMessage& message);

 private:
  void start(QDBusConnection bus);
  void settle();
  void appeared();
  void vanished();
  void updatePolling();
  void ask();
  void answered(const std::vector<QDBusMessage>& replies);
  void withGroup(int state, const std::string& method);
  bool failed(const std::vector<QDBusMessage>& replies);
  void named(int state, const std::string& method);
  void noteOnce(const std::string& kind, const std::string& text);

  std::function<void()> changed_;
  std::function<void(const std::string&)> note_;
  std::optional<QDBusConnection> bus_;
  QDBusServiceWatcher fcitx5_;
  QDBusServiceWatcher watcher_;
  QTimer poll_;
  bool running_ = false;
  bool watcherPresent_ = false;
  bool started_ = false;
  bool settled_ = false;  // Fcitx5 has named its input method once, or is not running
  bool asking_ = false;
  bool askAgain_ = false;
  int generation_ = 0;  // each start of Fcitx5; older answers are dropped
  std::optional<unsigned> pid_;
  Fcitx5Senders senders_;
  std::vector<Fcitx5InputMethod> available_;
  std::string group_;
  std::string groupLayout_;
  std::optional<NamedSource> current_;
  std::set<std::string> noted_;
};

}  // namespace vellicor::qt
