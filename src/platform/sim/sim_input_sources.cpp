#include "platform/sim/sim_input_sources.h"

#include "platform/common/macos_spellings.h"

#include <memory>
#include <utility>

namespace vellicor::sim {
namespace {

class SimPropertyValue final : public PropertyValue {
 public:
  explicit SimPropertyValue(SimValue value) : value_(std::move(value)) {}
  TypeID typeID() const override { return value_.typeID; }
  std::optional<std::string> stringValue() const override {
    if (value_.typeID != kSimStringTypeID) {
      return std::nullopt;
    }
    return value_.text;
  }

 private:
  SimValue value_;
};

std::optional<SimPropertyValue> valueOf(const std::optional<SimValue>& value) {
  if (!value) {
    return std::nullopt;
  }
  return SimPropertyValue(*value);
}

}  // namespace

class SimInputSource final : public InputSource {
 public:
  SimInputSource(SimInputSources& owner, const SimSource& source)
      : owner_(owner),
        localizedName_(valueOf(source.localizedName)),
        inputSourceID_(valueOf(source.inputSourceID)) {}
  ~SimInputSource() override {
    ++owner_.releases_;
    owner_.record("release");
  }
  SimInputSource(const SimInputSource&) = delete;
  SimInputSource& operator=(const SimInputSource&) = delete;

  const PropertyValue* property(PropertyKey key) const override {
    owner_.record("get ", owner_.keyText(key));
    const auto& value = key == PropertyKey::LocalizedName ? localizedName_ : inputSourceID_;
    return value ? &*value : nullptr;
  }

 private:
  SimInputSources& owner_;
  std::optional<SimPropertyValue> localizedName_;
  std::optional<SimPropertyValue> inputSourceID_;
};

SimValue simString(std::string text) {
  return SimValue{kSimStringTypeID, std::move(text)};
}
SimValue simNonString(TypeID typeID) {
  return SimValue{typeID, {}};
}

SimSource namedSource(std::string localizedName, std::string identifier) {
  return SimSource{simString(std::move(localizedName)), simString(std::move(identifier))};
}

SimSource identifiedSource(std::string identifier) {
  return SimSource{std::nullopt, simString(std::move(identifier))};
}

void SimInputSources::record(std::string_view what, std::string_view detail) {
  if (keepTrace_) {
    trace_.push_back(std::string(what).append(detail));
  }
}

InputSourceRef SimInputSources::copyCurrentKeyboardInputSource() {
  record("copy");
  if (!current_) {
    return nullptr;
  }
  ++copies_;
  return std::make_unique<SimInputSource>(*this, *current_);
}

std::string SimInputSources::keyText(PropertyKey key) const {
  return macosKeyText(key);
}

std::string SimInputSources::selectedSourceChangedNotification() const {
  return kMacosSelectedSourceChanged;
}

}  // namespace vellicor::sim
