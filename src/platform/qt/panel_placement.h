#pragma once

#include "platform/geometry.h"

namespace vellicor::qt {

struct PixelRect {
  int x = 0, y = 0, width = 0, height = 0;
};

inline bool operator==(const PixelRect& a, const PixelRect& b) {
  return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// The HUD's X window keeps one size and holds the visible panel inside it, so
// that a new name moves and reshapes the panel instead of reallocating the
// window and its buffers. The window is as large as the largest panel asked
// for so far and is centred on the panel, so panels of any width around the
// same centre leave the window where it is.
struct PanelPlacement {
  PixelRect window;  // in Qt's top-left space
  PixelRect panel;   // inside the window, in its own pixels
};

// `frame` is the panel in Qt's top-left space; `capacity` is the window's size
// so far and grows to hold the panel.
PanelPlacement placePanel(const Rect& frame, PixelRect& capacity);

}  // namespace vellicor::qt
