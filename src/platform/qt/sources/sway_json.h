#pragma once

#include <QByteArray>
#include <optional>

#include "platform/qt/sources/session_tracker.h"

namespace vellicor::qt {

// What sway's IPC answers mean, read without trusting their shape: anything
// missing or of another kind reads as none.

// The layout of the first keyboard in a GET_INPUTS answer: its
// xkb_active_layout_name.
std::optional<NamedSource> swayKeyboardLayout(const QByteArray& inputs);

// The layout an input event names, when it is a keyboard's layout that
// changed ("xkb_layout", or a new keymap: "xkb_keymap").
std::optional<NamedSource> swayLayoutEvent(const QByteArray& event);

// The focused output's rectangle in a GET_OUTPUTS answer.
std::optional<OutputRect> swayFocusedOutput(const QByteArray& outputs);

}  // namespace vellicor::qt
