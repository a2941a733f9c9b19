#pragma once

#include <QByteArray>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/sources/session_tracker.h"

namespace vellicor::qt {

// What sway's IPC answers mean, read without trusting their shape: anything
// missing or of another kind reads as none.

// A keyboard as sway lists it: its identifier ("1:1:AT_Translated_Set_2_keyboard"),
// whether a client made it (the virtual-keyboard protocol: an on-screen
// keyboard, a program that types), and its active layout's name.
struct SwayKeyboard {
  std::string identifier;
  bool isVirtual = false;
  std::optional<NamedSource> layout;
};

// The keyboards of a GET_INPUTS answer, in sway's order (at most 64).
std::vector<SwayKeyboard> swayKeyboards(const QByteArray& inputs);

// The keyboard the user types on, of those: the first that a client did not
// make and that names a layout; else the first that names one.
std::optional<SwayKeyboard> swayTypingKeyboard(const std::vector<SwayKeyboard>& keyboards);

// An input event about a keyboard: what changed ("xkb_layout", "xkb_keymap",
// "added", "removed", ...) and the keyboard as it is now.
struct SwayKeyboardEvent {
  std::string change;
  SwayKeyboard keyboard;
};
std::optional<SwayKeyboardEvent> swayKeyboardEvent(const QByteArray& event);

// The focused output's rectangle in a GET_OUTPUTS answer.
std::optional<OutputRect> swayFocusedOutput(const QByteArray& outputs);

}  // namespace vellicor::qt
