#pragma once

#include <string>
#include <vector>

#include "platform/qt/sources/source_tracker.h"

namespace vellicor::qt {

// An input method as Fcitx5's AvailableInputMethods lists it.
struct Fcitx5InputMethod {
  std::string uniqueName;  // "hangul", "keyboard-us"
  std::string name;        // "Hangul", "Keyboard - English (US)"
  std::string nativeName;  // "한글", or empty
};

// Fcitx5's State: no input context focused, inactive (the group's keyboard),
// active (the current input method).
inline constexpr int kFcitx5NoInputContext = 0;
inline constexpr int kFcitx5Active = 2;

// The source Fcitx5 selects. Active, it is the current input method, named by
// its native name where it has one, else its name; inactive (or with nothing
// focused) it is the keyboard layout of the current group. The identifier is
// the input method's unique name.
NamedSource fcitx5Source(const std::vector<Fcitx5InputMethod>& available,
                         const std::string& current, int state, const std::string& groupLayout);

// Whether `fcitx5Source` can name this without a longer list of input methods.
bool fcitx5Knows(const std::vector<Fcitx5InputMethod>& available, const std::string& current,
                 int state, const std::string& groupLayout);

}  // namespace vellicor::qt
