#pragma once

#include <utility>

namespace vellicor::qt {

// Reading the keyboard takes several requests (controls, group names, the
// rules property, the state), and the server may carry out another client's
// keymap change between two of them: such a reading mixes the old keymap with
// the new one, for instance four groups of which only the first is named,
// which names no source at all. The keyboard is read until two readings in a
// row agree, at most `kMaxReadings` times. A reading that agrees with the one
// before it holds no torn part: any field read before the change has the value
// the change left it with. When no two agree, the keyboard is still changing
// and its events are on their way; the last reading is kept until they come.
inline constexpr int kMaxReadings = 4;

template <typename Read>
auto agreedReading(Read read) {
  auto reading = read();
  for (int n = 1; n < kMaxReadings; ++n) {
    auto again = read();
    if (again == reading) {
      break;
    }
    reading = std::move(again);
  }
  return reading;
}

}  // namespace vellicor::qt
