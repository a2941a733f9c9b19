#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/qt/sources/kwin/kwin_answers.h"
#include "platform/qt/sources/session_tracker.h"

namespace vellicor::qt {

class SessionBus;

// Plasma's own layout, from KWin's layout service on the session bus
// (org.kde.keyboard): read once when the service is there, then followed
// through its layoutChanged signal, which comes at every switch whatever
// window has the focus, and read again when its list of layouts changes. The
// service is followed whenever it is there, also when it appears after the
// program, or again after KWin restarted.
//
// The output in use is the one KWin calls active (where the pointer is), asked
// at each switch before the switch is announced, so that the panel, placed
// right after, goes there; an answer that takes longer than 50 ms is not
// waited for (the last known output stands). KWin names its outputs its own
// way, so their rectangles come from KWin's support information, read when
// KWin appears, when XWayland's screens change, and when KWin names an output
// not known yet. Nothing waits on the bus; nothing KWin says is trusted past
// its reading (kwin_answers.h).
class KWinTracker final : public QObject, public SessionTracker {
  Q_OBJECT

 public:
  // Starts once the session bus answers, on the program's own connection to
  // it. `note` writes one line to the log.
  KWinTracker(SessionBus& sessionBus, std::function<void()> changed,
              std::function<void(const std::string&)> note);
  ~KWinTracker() override;

  std::optional<NamedSource> current() const override { return source_; }
  bool settled() const override { return settled_; }
  std::string description() const override { return "Plasma's layout service (KWin)"; }
  std::optional<OutputRect> activeOutput() const override { return output_; }

 private slots:
  void layoutChanged(const QDBusMessage& message);
  void layoutListChanged();

 private:
  void start(QDBusConnection bus);
  void appeared();
  void vanished();
  void readLayouts();
  void layoutsRead(const std::vector<QDBusMessage>& replies);
  void switched(const NamedSource& source);
  void askOutput();
  void announce();
  void readOutputs();
  void watchScreens();
  void settle();
  void noteOnce(const std::string& kind, const std::string& text);

  std::function<void()> changed_;
  std::function<void(const std::string&)> note_;
  std::optional<QDBusConnection> bus_;
  QDBusServiceWatcher keyboard_;
  QDBusServiceWatcher kwin_;
  bool started_ = false;
  bool settled_ = false;
  bool present_ = false;  // the layout service has an owner
  int generation_ = 0;    // each appearance of the layout service; older answers are dropped
  std::vector<KWinLayout> layouts_;
  std::optional<int> readingLayoutsOf_;  // the appearance whose layouts are being read
  bool readLayoutsAgain_ = false;
  std::optional<NamedSource> source_;
  // A switch waiting for the output in use before it is announced.
  std::optional<NamedSource> pending_;
  QTimer patience_;
  bool askingOutput_ = false;
  bool readingOutputs_ = false;
  bool readOutputsAgain_ = false;
  bool kwinPresent_ = false;
  std::map<std::string, OutputRect> outputs_;  // by KWin's name
  std::string activeName_;                     // the output KWin named last
  std::optional<OutputRect> output_;
  std::set<std::string> noted_;
};

}  // namespace vellicor::qt
