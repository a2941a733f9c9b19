#pragma once

#include "platform/geometry.h"

namespace vellicor::qt {

// Qt places screens and windows in one space with its origin at the top-left
// corner and y growing downwards; the program's space has its origin at the
// lower-left corner of the primary screen and y growing upwards. Both use the
// same unit (device-independent pixels as points). `primary` is the primary
// screen's geometry in Qt's space; `rectToTopLeft` undoes `rectFromTopLeft`.
Point pointFromTopLeft(const Point& topLeft, const Rect& primary);
Rect rectFromTopLeft(const Rect& topLeft, const Rect& primary);
Rect rectToTopLeft(const Rect& global, const Rect& primary);

}  // namespace vellicor::qt
