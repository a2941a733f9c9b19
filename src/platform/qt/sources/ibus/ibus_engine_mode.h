#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/qt/sources/dbus/dbus_value.h"
#include "platform/qt/sources/source_tracker.h"

namespace vellicor::qt {

// An IBus engine as its description gives it.
struct IBusEngine {
  std::string name;      // "hangul", "xkb:us::eng"
  std::string longName;  // "Hangul", "English (US)"
  std::string layout;    // the XKB layout it types with: "kr", "us"
  std::string layoutVariant;
};

// The engine an IBusEngineDesc describes (GlobalEngine's value); none when the
// value is not one or has no name.
std::optional<IBusEngine> engineFromDescription(const DBusValue& description);

// Some engines switch between their own script and Latin letters without
// changing engine; ibus-hangul publishes the switch as its property
// "InputMode" (state 1, symbol 한: Hangul; state 0, symbol EN: Latin).
enum class InputMode { Native, Latin };

// What a property signal says of the input mode. `value` is the argument of
// UpdateProperty (one IBusProperty) or, with `list`, of RegisterProperties (an
// IBusPropList).
struct ModeReading {
  enum class Outcome { Mode, NoMode, Malformed };
  Outcome outcome = Outcome::NoMode;
  InputMode mode = InputMode::Native;
  std::string problem;  // what was wrong, when malformed
};
ModeReading readInputMode(const DBusValue& value, bool list);

// Whether the source is named by the engine's mode: ibus-hangul's engines.
bool namesByMode(const IBusEngine& engine);

// The mode a new engine starts in, from ibus-hangul's initial-input-mode
// setting ("latin" or "hangul"); none for any other text.
std::optional<InputMode> modeFromSetting(std::string_view setting);

// The source the engine gives. In its own script (or with no mode known) it is
// the engine: its long name, and its name as identifier. In Latin mode it is
// named for what the user then types, which the keyboard's layout decides
// ("de", "kr(kr104)"; the engine's own layout when that is not known):
// "English (US)" for the US layout and the US-based Korean keyboards, else
// "English (<layout>)"; the identifier is "<engine>:latin".
NamedSource engineSource(const IBusEngine& engine, std::optional<InputMode> mode,
                         const std::optional<std::string>& keyboardLayout = std::nullopt);

}  // namespace vellicor::qt
