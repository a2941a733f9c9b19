#pragma once

#include "platform/geometry.h"

namespace vellicor::qt {

// Qt places screens and windows in one space with its origin at the top-left
// corner and y growing downwards; the program's space has its origin at the
// lower-left corner of the primary screen and y growing upwards. Both use the
// same unit (device-independent pixels as points). `primary` is the primary
// screen's geometry in Qt's space; `rectToTopLeft` undoes `rectFromTopLeft`.
// A pointer on X is a pixel, the square from (x, y) to (x + 1, y + 1) in Qt's
// space. It is reported as that square's lower-left corner in the program's
// space, so that it lies in the frame of the screen that shows the pixel, on
// every edge of it, and in no other.
Point pixelFromTopLeft(int x, int y, const Rect& primary);
Rect rectFromTopLeft(const Rect& topLeft, const Rect& primary);
Rect rectToTopLeft(const Rect& global, const Rect& primary);

}  // namespace vellicor::qt
