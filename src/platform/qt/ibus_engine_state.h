#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/qt/ibus_engine_mode.h"

namespace vellicor::qt {

// IBus's global engine and its input mode, from what the bus says: the engine
// from GlobalEngine, the connection that serves it, and the engine's property
// signals. A mode is taken only from that connection; anything else is
// ignored, and each kind of trouble is noted once, so that a broken or foreign
// client neither floods the log nor changes the source.
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
  // A RegisterProperties (`list`) or UpdateProperty signal. True when the
  // source it names changed.
  bool onProperties(const std::string& sender, const DBusValue& value, bool list);

  std::optional<NamedSource> current() const;
  // Whether the serving connection has been told (possibly as unknown).
  bool senderKnown() const { return sender_.has_value(); }
  const std::optional<IBusEngine>& engine() const { return engine_; }

 private:
  void noteOnce(const std::string& kind, const std::string& text);

  std::function<void(const std::string&)> note_;
  std::optional<IBusEngine> engine_;
  std::optional<std::string> sender_;  // none while being asked for
  std::map<std::string, InputMode> pending_;
  std::optional<InputMode> mode_;
  std::set<std::string> noted_;
};

}  // namespace vellicor::qt
