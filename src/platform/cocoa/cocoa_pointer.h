#pragma once

#include "platform/geometry.h"

namespace vellicor::cocoa {

// NSEvent reports the pointer as NSMouseInRect counts it in an unflipped space:
// a rectangle holds its top edge and not its bottom one, so on a screen's top
// row the pointer has the y of that screen's top edge, and on its bottom row
// one above its bottom edge. The program's frames hold their bottom edge and
// not their top one (`contains`). Moved down by the least step a double takes,
// the pointer lies in exactly the frames NSMouseInRect puts it in, and so on
// the screen it is on, top row included.
Point pointerInFrames(Point mouseLocation);

}  // namespace vellicor::cocoa
