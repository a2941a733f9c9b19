#pragma once

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

}  // namespace vellicor::qt
