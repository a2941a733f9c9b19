#include <array>
#include <string>
#include <string_view>

#include "app/app_delegate.h"
#include "input/display_name.h"
#include "platform/input_sources.h"
#include "platform/text.h"

namespace vellicor {
namespace {

struct IdentifierRule {
  std::string_view needle;
  std::string_view name;
};

// Tried in order; the Korean rules come first, so an identifier naming both wins
// as Korean. The tests are case-sensitive.
constexpr std::array<IdentifierRule, 4> kIdentifierRules{{
    {"Korean", "한국어"},
    {"Hangul", "한국어"},
    {"ABC", "영어"},
    {"US", "영어"},
}};

}  // namespace

std::optional<std::string> AppDelegate::TISPropertyAsString(const InputSource& source,
                                                            PropertyKey key) const {
  const PropertyValue* value = source.property(key);
  if (value == nullptr) {
    return std::nullopt;
  }
  if (value->typeID() == platform.inputSources.stringTypeID()) {
    if (auto text = value->stringValue()) {
      // Names come from outside: keep them well-formed for everything downstream.
      return platform.text.validUTF8(*text);
    }
    return std::nullopt;
  }
  writeLog("TISPropertyAsString: unexpected CFTypeID " + std::to_string(value->typeID()) +
           " for key " + platform.inputSources.keyText(key));
  return std::nullopt;
}

std::string AppDelegate::getCurrentInputSource() const {
  InputSourceRef source = platform.inputSources.copyCurrentKeyboardInputSource();
  if (!source) {
    return std::string(kUnknownSourceName);
  }
  if (auto name = TISPropertyAsString(*source, PropertyKey::LocalizedName)) {
    source.reset();
    return *name;
  }
  const auto identifier = TISPropertyAsString(*source, PropertyKey::InputSourceID);
  // Every property has been copied out: release the source before deciding.
  source.reset();
  if (!identifier) {
    return std::string(kUnknownSourceName);
  }
  for (const auto& rule : kIdentifierRules) {
    if (platform.text.contains(*identifier, rule.needle)) {
      return std::string(rule.name);
    }
  }
  return *identifier;
}

}  // namespace vellicor
