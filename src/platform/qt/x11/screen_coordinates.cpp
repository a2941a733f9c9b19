#include "platform/qt/x11/screen_coordinates.h"

namespace vellicor::qt {
namespace {

double flipLine(const Rect& primary) {
  return primary.origin.y + primary.size.height;
}

}  // namespace

Point pixelFromTopLeft(int x, int y, const Rect& primary) {
  return rectFromTopLeft({{static_cast<double>(x), static_cast<double>(y)}, {1, 1}}, primary)
      .origin;
}

Rect rectFromTopLeft(const Rect& topLeft, const Rect& primary) {
  return {{topLeft.origin.x - primary.origin.x,
           flipLine(primary) - (topLeft.origin.y + topLeft.size.height)},
          topLeft.size};
}

Rect rectToTopLeft(const Rect& global, const Rect& primary) {
  return {{global.origin.x + primary.origin.x,
           flipLine(primary) - (global.origin.y + global.size.height)},
          global.size};
}

}  // namespace vellicor::qt
