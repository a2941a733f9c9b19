#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/qt/sources/ibus/ibus_engine_mode.h"

namespace vellicor::qt {

// IBus's global engine and its input mode, from what the bus says: the engine
// from GlobalEngine, the connection that serves it (the owner of the engine's
// component name), and the engine's property signals. A mode is taken only from
// that connection. A mode from any other is held until the owner has been asked
// again (an engine whose process started anew has a new connection), then
// taken if it came from the owner and otherwise ignored. Each kind of trouble is
// noted once, so that a broken or foreign client neither floods the log nor
// changes the source.
class IBusEngineState {
 public:
  explicit IBusEngineState(std::function<void(const std::string&)> note) : note_(std::move(note)) {}

  // A new global engine, or none. `initialMode` is the mode a new engine of
  // its kind starts in, when known. The serving connection is not known yet.
  void setEngine(std::optional<IBusEngine> engine, std::optional<InputMode> initialMode);
  // The unique bus name that serves the engine; empty when it cannot be told.
  // A mode that connection gave while it was being asked for is taken now. True
  // when the source it names changed.
  bool setEngineSender(const std::string& sender);
  // Whether a property signal can say anything: the engine names its source
  // by mode and the connection that serves it can be told. A signal is read
  // only then.
  bool followsModes() const;
  // Whether modes are held until the owner is asked for (again).
  bool wantsSender() const { return !sender_ || !held_.empty(); }
  // A RegisterProperties (`list`) or UpdateProperty signal. True when the
  // source it names changed.
  bool onProperties(const std::string& sender, const DBusValue& value, bool list);

  // Whether the engine is one of IBus's own keyboard-layout engines (xkb:...).
  bool isLayoutEngine() const { return engine_ && engine_->name.rfind("xkb:", 0) == 0; }
  // The global engine's name, while there is one.
  std::optional<std::string> engineName() const {
    return engine_ ? std::optional<std::string>(engine_->name) : std::nullopt;
  }
  // `keyboardLayout` names what Latin mode types: the layout of the keyboard
  // group in use, when known.
  std::optional<NamedSource> current(
      const std::optional<std::string>& keyboardLayout = std::nullopt) const;

 private:
  void noteOnce(const std::string& kind, const std::string& text);

  std::function<void(const std::string&)> note_;
  std::optional<IBusEngine> engine_;
  std::optional<std::string> sender_;      // none while being asked for
  std::map<std::string, InputMode> held_;  // by sender, until the owner is known
  std::optional<InputMode> mode_;
  std::set<std::string> noted_;
};

}  // namespace vellicor::qt
