#include "platform/qt/sources/xkb/keymap_settle.h"

#include <algorithm>

namespace vellicor::qt {

void KeymapSettle::keymapChanged(Clock::time_point now) {
  settled_ = now + kSettle;
}

bool KeymapSettle::groupSwitched(Clock::time_point now) {
  if (!settled_) {
    return true;
  }
  // Later switches wait no longer than the first one held: the bound holds
  // for each of them.
  if (!switchDue_) {
    switchDue_ = now + kSwitchWait;
  }
  return false;
}

std::optional<KeymapSettle::Clock::time_point> KeymapSettle::due() const {
  if (settled_ && switchDue_) {
    return std::min(*settled_, *switchDue_);
  }
  return settled_ ? settled_ : switchDue_;
}

KeymapSettle::Due KeymapSettle::fire(Clock::time_point now) {
  if (settled_ && now >= *settled_) {
    // The keyboard read now serves any switch still held too.
    settled_.reset();
    switchDue_.reset();
    return Due::kSettled;
  }
  if (switchDue_ && now >= *switchDue_) {
    // The keymap may go on changing; it is read again when it settles.
    switchDue_.reset();
    return Due::kHeldSwitch;
  }
  return Due::kNothing;
}

}  // namespace vellicor::qt
