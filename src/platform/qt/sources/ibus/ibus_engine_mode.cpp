#include "platform/qt/sources/ibus/ibus_engine_mode.h"

#include <array>

namespace vellicor::qt {
namespace {

constexpr std::string_view kModeKey = "InputMode";
// IBusProperty's fields: type name, attachments, key, type, label, icon,
// tooltip, sensitive, visible, state, sub-properties, symbol.
constexpr std::size_t kPropertyKey = 2;
constexpr std::size_t kPropertyState = 9;
// IBusPropList's: type name, attachments, properties.
constexpr std::size_t kListProperties = 2;
// IBusEngineDesc's: type name, attachments, name, long name, description,
// language, license, author, icon, layout, rank, hotkeys, symbol, setup, layout
// variant, ...
constexpr std::size_t kDescName = 2;
constexpr std::size_t kDescLongName = 3;
constexpr std::size_t kDescLayout = 9;
constexpr std::size_t kDescLayoutVariant = 14;
// ibus-hangul's checked state is its Hangul mode.
constexpr std::uint64_t kStateChecked = 1;

bool isSerialised(const DBusValue& value, std::string_view typeName) {
  const DBusValue* name = value.item(0);
  return value.kind == DBusValue::Kind::Struct && name != nullptr &&
         name->kind == DBusValue::Kind::Text && name->text == typeName;
}

ModeReading malformed(std::string problem) {
  ModeReading reading;
  reading.outcome = ModeReading::Outcome::Malformed;
  reading.problem = std::move(problem);
  return reading;
}

ModeReading readProperty(const DBusValue& property) {
  if (!isSerialised(property, "IBusProperty")) {
    return malformed("a property that is not an IBusProperty");
  }
  const DBusValue* key = property.item(kPropertyKey);
  if (key == nullptr || key->kind != DBusValue::Kind::Text) {
    return malformed("a property without a key");
  }
  if (key->text != kModeKey) {
    return {};
  }
  const DBusValue* state = property.item(kPropertyState);
  if (state == nullptr || state->kind != DBusValue::Kind::Unsigned) {
    return malformed("an InputMode property without a state");
  }
  ModeReading reading;
  reading.outcome = ModeReading::Outcome::Mode;
  reading.mode = state->unsignedValue == kStateChecked ? InputMode::Native : InputMode::Latin;
  return reading;
}

// The US layout, and the Korean keyboards whose Latin letters are its.
bool typesUSLetters(std::string_view layout, std::string_view variant) {
  static constexpr std::array<std::string_view, 3> kVariants{"", "kr104", "kr106"};
  if (layout == "us") {
    return variant.empty();
  }
  if (layout != "kr") {
    return false;
  }
  for (const auto known : kVariants) {
    if (variant == known) {
      return true;
    }
  }
  return false;
}

std::string textAt(const DBusValue& value, std::size_t index) {
  const DBusValue* field = value.item(index);
  return field != nullptr && field->kind == DBusValue::Kind::Text ? field->text : std::string();
}

}  // namespace

std::optional<IBusEngine> engineFromDescription(const DBusValue& description) {
  if (!isSerialised(description, "IBusEngineDesc")) {
    return std::nullopt;
  }
  IBusEngine engine{textAt(description, kDescName), textAt(description, kDescLongName),
                    textAt(description, kDescLayout), textAt(description, kDescLayoutVariant)};
  if (engine.name.empty()) {
    return std::nullopt;
  }
  return engine;
}

ModeReading readInputMode(const DBusValue& value, bool list) {
  if (!list) {
    return readProperty(value);
  }
  if (!isSerialised(value, "IBusPropList")) {
    return malformed("a property list that is not an IBusPropList");
  }
  const DBusValue* properties = value.item(kListProperties);
  if (properties == nullptr || properties->kind != DBusValue::Kind::Array) {
    return malformed("a property list without properties");
  }
  ModeReading found;
  for (const DBusValue& property : properties->items) {
    const ModeReading reading = readProperty(property);
    if (reading.outcome == ModeReading::Outcome::Malformed) {
      return reading;
    }
    if (reading.outcome == ModeReading::Outcome::Mode) {
      found = reading;
    }
  }
  return found;
}

bool namesByMode(const IBusEngine& engine) {
  return engine.name == "hangul";
}

std::optional<InputMode> modeFromSetting(std::string_view setting) {
  if (setting == "latin") {
    return InputMode::Latin;
  }
  if (setting == "hangul") {
    return InputMode::Native;
  }
  return std::nullopt;
}

NamedSource engineSource(const IBusEngine& engine, std::optional<InputMode> mode,
                         const std::optional<std::string>& keyboardLayout) {
  NamedSource source;
  if (mode == InputMode::Latin && namesByMode(engine)) {
    // What the keys type is the keyboard's layout; the engine's own stands in
    // when the keyboard's is not known.
    std::string layout = engine.layout;
    std::string variant = engine.layoutVariant;
    if (keyboardLayout && !keyboardLayout->empty()) {
      const auto open = keyboardLayout->find('(');
      layout = keyboardLayout->substr(0, open);
      variant = open == std::string::npos || keyboardLayout->back() != ')'
                    ? std::string()
                    : keyboardLayout->substr(open + 1, keyboardLayout->size() - open - 2);
    }
    if (typesUSLetters(layout, variant)) {
      source.localizedName = "English (US)";
    } else if (layout.empty()) {
      source.localizedName = "English";
    } else {
      source.localizedName =
          "English (" + (variant.empty() ? layout : layout + "(" + variant + ")") + ")";
    }
    source.identifier = engine.name + ":latin";
    return source;
  }
  if (!engine.longName.empty()) {
    source.localizedName = engine.longName;
  }
  if (!engine.name.empty()) {
    source.identifier = engine.name;
  }
  return source;
}

}  // namespace vellicor::qt
