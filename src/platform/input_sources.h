#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vellicor {

using TypeID = std::uint64_t;

enum class PropertyKey { LocalizedName, InputSourceID };

// A property value borrowed from an input source: valid only while the source
// that returned it is held.
class PropertyValue {
 public:
  virtual ~PropertyValue() = default;
  virtual TypeID typeID() const = 0;
  // The value's text when it is a string (its type ID equals `stringTypeID()`).
  virtual std::optional<std::string> stringValue() const = 0;
};

class InputSource {
 public:
  virtual ~InputSource() = default;
  // Borrowed from this source; null when the source has no such property.
  virtual const PropertyValue* property(PropertyKey key) const = 0;
};

// Owning handle to an input source. Destroying it releases the source, exactly once.
using InputSourceRef = std::unique_ptr<InputSource>;

class InputSources {
 public:
  virtual ~InputSources() = default;
  // The selected keyboard input source, owned by the caller; null when there is none.
  virtual InputSourceRef copyCurrentKeyboardInputSource() = 0;
  virtual TypeID stringTypeID() const = 0;
  // The text of a property key constant, as the platform spells it.
  virtual std::string keyText(PropertyKey key) const = 0;
  // The distributed notification posted when the selected keyboard source changes.
  virtual std::string selectedSourceChangedNotification() const = 0;
};

}  // namespace vellicor
