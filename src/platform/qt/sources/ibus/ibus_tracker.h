#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/qt/sources/ibus/ibus_engine_state.h"
#include "platform/qt/sources/source_tracker.h"

namespace vellicor::qt {

class GioLibrary;

class IBusBus;

// IBus's global engine and, for engines that switch script within themselves
// (ibus-hangul's Hangul and Latin modes), its mode. The mode comes from the
// engines' RegisterProperties and UpdateProperty signals, subscribed with rules
// that match those two signals only (IBus's bus applies rules to everything,
// and a broader one would also receive the text other applications commit),
// and taken only from the connection that serves the global engine: the owner
// of the engine's component name. When GlobalEngine cannot be read (Fcitx5's
// IBus frontend answers on IBus's address, or no engine was chosen yet) IBus
// names no source. Latin mode is named for the keyboard layout in use, which
// `layout` tells.
class IBusTracker final : public QObject, public SourceTracker {
  Q_OBJECT

 public:
  // `note` writes one line to the log; `layout` is the XKB layout and variant
  // of the keyboard group in use ("de", "kr(kr104)"), when known; ibus-hangul's
  // settings are read through `gio`.
  IBusTracker(GioLibrary& gio, std::function<void()> changed,
              std::function<void(const std::string&)> note,
              std::function<std::optional<std::string>()> layout);
  ~IBusTracker() override;

  std::optional<NamedSource> current() const override;
  bool settled() const override { return settled_; }
  bool yieldsToSession() const override { return state_.isLayoutEngine(); }
  // The global engine's name, while IBus has one ("hangul", "xkb:us::eng").
  std::optional<std::string> engineName() const { return state_.engineName(); }

 private slots:
  void globalEngineChanged(const QString& name);
  void registerProperties(const QDBusMessage& message);
  void updateProperty(const QDBusMessage& message);

 private:
  void connected();
  void disconnected();
  void queryEngine();
  void engineAnswered(const QDBusMessage& reply);
  void askEngineOwner();
  void properties(const QDBusMessage& message, bool list);

  GioLibrary& gio_;
  std::function<void()> changed_;
  IBusEngineState state_;
  QString component_;    // the bus name of the global engine's component, if it has modes
  QString askingOwner_;  // the component whose owner is being asked for
  std::map<QString, QString> components_;  // engine -> component, as read
  std::function<std::optional<std::string>()> layout_;
  int generation_ = 0;  // each new engine or connection; older answers are dropped
  bool askingEngine_ = false;
  bool askEngineAgain_ = false;
  bool settled_ = false;  // a first reading is in, or there is no bus to read
  std::unique_ptr<IBusBus> bus_;
};

}  // namespace vellicor::qt
