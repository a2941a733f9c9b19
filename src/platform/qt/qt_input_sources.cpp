#include "platform/qt/qt_input_sources.h"

#include <memory>
#include <optional>

#include "platform/common/macos_spellings.h"
#include "platform/icu/bounded_text.h"

namespace vellicor::qt {
namespace {

constexpr TypeID kStringTypeID = 1;

class StringValue final : public PropertyValue {
 public:
  explicit StringValue(std::string text) : text_(std::move(text)) {}
  TypeID typeID() const override { return kStringTypeID; }
  std::optional<std::string> stringValue() const override { return text_; }

 private:
  std::string text_;
};

// A copy of the source at the moment it was asked for, so later changes do not
// alter a handle the caller holds.
class Snapshot final : public InputSource {
 public:
  explicit Snapshot(const NamedSource& source) {
    if (source.localizedName) {
      name_.emplace(*source.localizedName);
    }
    if (source.identifier) {
      id_.emplace(*source.identifier);
    }
  }
  const PropertyValue* property(PropertyKey key) const override {
    const auto& value = key == PropertyKey::LocalizedName ? name_ : id_;
    return value ? &*value : nullptr;
  }

 private:
  std::optional<StringValue> name_;
  std::optional<StringValue> id_;
};

}  // namespace

void QtInputSources::setCurrent(const NamedSource& source) {
  const auto bounded = [](const std::optional<std::string>& text) {
    return text ? std::optional(boundedName(*text)) : std::nullopt;
  };
  current_ = NamedSource{bounded(source.localizedName), bounded(source.identifier)};
}

InputSourceRef QtInputSources::copyCurrentKeyboardInputSource() {
  return std::make_unique<Snapshot>(current_);
}

TypeID QtInputSources::stringTypeID() const {
  return kStringTypeID;
}

std::string QtInputSources::keyText(PropertyKey key) const {
  return macosKeyText(key);
}

std::string QtInputSources::selectedSourceChangedNotification() const {
  return kMacosSelectedSourceChanged;
}

}  // namespace vellicor::qt
