#include "platform/cocoa/cocoa_input_sources.h"

#include <Carbon/Carbon.h>
#include <CoreFoundation/CoreFoundation.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/cocoa/cocoa_utf16.h"

namespace vellicor::cocoa {
namespace {

// Read as UTF-16 code units, so that a NUL stays inside the name and an unpaired
// surrogate becomes U+FFFD; a C-string conversion would cut the one short and
// fail on the other.
std::string utf8Of(CFStringRef string) {
  std::vector<UniChar> units(static_cast<size_t>(CFStringGetLength(string)));
  CFStringGetCharacters(string, CFRangeMake(0, static_cast<CFIndex>(units.size())), units.data());
  return utf8FromUtf16(units);
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
