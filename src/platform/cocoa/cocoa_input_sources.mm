#include "platform/cocoa/cocoa_input_sources.h"

#include <Carbon/Carbon.h>
#include <CoreFoundation/CoreFoundation.h>

#include <memory>
#include <optional>
#include <vector>

namespace vellicor::cocoa {
namespace {

std::string utf8Of(CFStringRef string) {
  const CFIndex length = CFStringGetLength(string);
  const CFIndex capacity = CFStringGetMaximumSizeForEncoding(length, kCFStringEncodingUTF8) + 1;
  std::vector<char> buffer(static_cast<size_t>(capacity));
  if (!CFStringGetCString(string, buffer.data(), capacity, kCFStringEncodingUTF8)) {
    return {};
  }
  return std::string(buffer.data());
}

CFStringRef keyOf(PropertyKey key) {
  return key == PropertyKey::LocalizedName ? kTISPropertyLocalizedName : kTISPropertyInputSourceID;
}

// A value owned by its input source: never retained or released here.
class BorrowedValue final : public PropertyValue {
 public:
  explicit BorrowedValue(CFTypeRef value) : value_(value) {}
  TypeID typeID() const override { return static_cast<TypeID>(CFGetTypeID(value_)); }
  std::optional<std::string> stringValue() const override {
    if (CFGetTypeID(value_) != CFStringGetTypeID()) {
      return std::nullopt;
    }
    return utf8Of(static_cast<CFStringRef>(value_));
  }

 private:
  CFTypeRef value_;
};

class CopiedSource final : public InputSource {
 public:
  explicit CopiedSource(TISInputSourceRef source) : source_(source) {}
  ~CopiedSource() override { CFRelease(source_); }
  CopiedSource(const CopiedSource&) = delete;
  CopiedSource& operator=(const CopiedSource&) = delete;

  const PropertyValue* property(PropertyKey key) const override {
    auto& slot = key == PropertyKey::LocalizedName ? name_ : id_;
    if (!slot) {
      const CFTypeRef value =
          static_cast<CFTypeRef>(TISGetInputSourceProperty(source_, keyOf(key)));
      slot.emplace(value == nullptr ? std::nullopt : std::make_optional<BorrowedValue>(value));
    }
    return *slot ? &**slot : nullptr;
  }

 private:
  TISInputSourceRef source_;
  mutable std::optional<std::optional<BorrowedValue>> name_;
  mutable std::optional<std::optional<BorrowedValue>> id_;
};

}  // namespace

InputSourceRef CocoaInputSources::copyCurrentKeyboardInputSource() {
  TISInputSourceRef source = TISCopyCurrentKeyboardInputSource();
  if (source == nullptr) {
    return nullptr;
  }
  return std::make_unique<CopiedSource>(source);
}

TypeID CocoaInputSources::stringTypeID() const {
  return static_cast<TypeID>(CFStringGetTypeID());
}

std::string CocoaInputSources::keyText(PropertyKey key) const {
  return utf8Of(keyOf(key));
}

std::string CocoaInputSources::selectedSourceChangedNotification() const {
  return utf8Of(kTISNotifySelectedKeyboardInputSourceChanged);
}

}  // namespace vellicor::cocoa
