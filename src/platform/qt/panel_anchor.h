#pragma once

#include <chrono>
#include <optional>

namespace vellicor::qt {

// What the panel's screen is chosen by.
enum class PanelAnchor {
  ActiveOutput,   // the middle of the output the session says is in use
  Pointer,        // the pointer, as X reports it
  PrimaryScreen,  // the middle of the primary screen
};

// The output the session names comes first, else the pointer. But in a
// Wayland session XWayland knows the pointer only while it is over an X window
// (elsewhere it reports the place where the pointer last left one, however far
// it has gone since): away from X windows the primary screen stands in for it.
PanelAnchor panelAnchor(bool waylandSession, bool outputNamed, bool pointerOverXWindow);

// GNOME's shell takes the pointer from every window while it handles
// Super+Space, and XWayland may hear it back only just after the switch is
// announced. So where the pointer decides and it left the X windows a moment
// ago (`sinceLeftXWindows`), the panel waits a little for it to come back
// before it is placed.
inline constexpr std::chrono::milliseconds kPointerJustLeft{1000};
inline constexpr std::chrono::milliseconds kPointerWait{150};
bool waitForPointer(bool waylandSession, bool outputNamed, bool pointerOverXWindow,
                    std::optional<std::chrono::milliseconds> sinceLeftXWindows);

}  // namespace vellicor::qt
