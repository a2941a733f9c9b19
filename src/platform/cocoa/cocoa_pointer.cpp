#include "platform/cocoa/cocoa_pointer.h"

#include <cmath>
#include <limits>

namespace vellicor::cocoa {

Point pointerInFrames(Point mouseLocation) {
  return {mouseLocation.x,
          std::nextafter(mouseLocation.y, -std::numeric_limits<double>::infinity())};
}

}  // namespace vellicor::cocoa
