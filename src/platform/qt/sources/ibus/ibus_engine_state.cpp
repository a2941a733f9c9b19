#include "platform/qt/sources/ibus/ibus_engine_state.h"

namespace vellicor::qt {
namespace {

// Readings held while the serving connection is being asked for.
constexpr std::size_t kMaxHeld = 8;

}  // namespace

void IBusEngineState::setEngine(std::optional<IBusEngine> engine,
                                std::optional<InputMode> initialMode) {
  engine_ = std::move(engine);
  sender_.reset();
  held_.clear();
  mode_ = engine_ && namesByMode(*engine_) ? initialMode : std::nullopt;
}

bool IBusEngineState::setEngineSender(const std::string& sender) {
  sender_ = sender;
  std::optional<InputMode> heard;
  for (const auto& [from, mode] : held_) {
    if (!sender.empty() && from == sender) {
      heard = mode;
    } else if (!sender.empty()) {
      noteOnce("foreign", "IBus: ignored an input mode from " + from +
                              ", which does not serve the engine " + engine_->name);
    }
  }
  held_.clear();
  if (sender.empty() && engine_ && namesByMode(*engine_)) {
    noteOnce("no sender", "IBus: cannot tell which connection serves the engine " + engine_->name +
                              "; its input mode is not followed");
  }
  if (!heard) {
    return false;
  }
  const auto before = mode_;
  mode_ = heard;
  return mode_ != before;
}

bool IBusEngineState::followsModes() const {
  return engine_ && namesByMode(*engine_) && !(sender_ && sender_->empty());
}

bool IBusEngineState::onProperties(const std::string& sender, const DBusValue& value, bool list) {
  // Without a serving connection modes are not followed, as was said when
  // that was found.
  if (!followsModes()) {
    return false;
  }
  const ModeReading reading = readInputMode(value, list);
  if (reading.outcome == ModeReading::Outcome::NoMode) {
    return false;
  }
  if (!sender_ || sender != *sender_) {
    // Held until the owner is known: the serving connection is being asked
    // for, or this one may be a new process of the engine.
    if (reading.outcome == ModeReading::Outcome::Mode &&
        (held_.size() < kMaxHeld || held_.count(sender) != 0)) {
      held_[sender] = reading.mode;
    }
    return false;
  }
  if (reading.outcome == ModeReading::Outcome::Malformed) {
    noteOnce("malformed", "IBus: ignored " + reading.problem + " from the engine " + engine_->name);
    return false;
  }
  const auto before = mode_;
  mode_ = reading.mode;
  return mode_ != before;
}

std::optional<NamedSource> IBusEngineState::current(
    const std::optional<std::string>& keyboardLayout) const {
  if (!engine_) {
    return std::nullopt;
  }
  return engineSource(*engine_, mode_, keyboardLayout);
}

void IBusEngineState::noteOnce(const std::string& kind, const std::string& text) {
  if (noted_.insert(kind).second && note_) {
    note_(text);
  }
}

}  // namespace vellicor::qt
