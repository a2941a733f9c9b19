#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vellicor::qt {

// A D-Bus value as a plain tree, variants unwrapped: what IBus's serialised
// objects are made of, read without trusting their shape.
struct DBusValue {
  enum class Kind { Text, Unsigned, Signed, Boolean, Struct, Array, Other };
  Kind kind = Kind::Other;
  std::string text;
  std::uint64_t unsignedValue = 0;
  std::int64_t signedValue = 0;
  bool boolean = false;
  std::vector<DBusValue> items;  // the fields of a struct, the elements of an array

  // The item at `index` when this is a struct or an array that has it.
  const DBusValue* item(std::size_t index) const {
    return (kind == Kind::Struct || kind == Kind::Array) && index < items.size() ? &items[index]
                                                                                 : nullptr;
  }
};

}  // namespace vellicor::qt
