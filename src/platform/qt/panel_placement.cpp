#include "platform/qt/panel_placement.h"

#include <algorithm>
#include <cmath>

namespace vellicor::qt {

PanelPlacement placePanel(const Rect& frame, PixelRect& capacity) {
  const PixelRect panel{static_cast<int>(std::lround(frame.origin.x)),
                        static_cast<int>(std::lround(frame.origin.y)),
                        static_cast<int>(std::lround(frame.size.width)),
                        static_cast<int>(std::lround(frame.size.height))};
  capacity.width = std::max(capacity.width, panel.width);
  capacity.height = std::max(capacity.height, panel.height);
  // Placed from the panel's centre, not its rounded corner, so that the window
  // stays put while the panel's width changes around the same centre.
  const double centreX = frame.origin.x + frame.size.width * 0.5;
  const double centreY = frame.origin.y + frame.size.height * 0.5;
  PixelRect window{static_cast<int>(std::lround(centreX - capacity.width * 0.5)),
                   static_cast<int>(std::lround(centreY - capacity.height * 0.5)), capacity.width,
                   capacity.height};
  PixelRect inside{panel.x - window.x, panel.y - window.y, panel.width, panel.height};
  // Rounding may leave the panel a pixel over the window's edge; it stays inside.
  inside.x = std::clamp(inside.x, 0, window.width - inside.width);
  inside.y = std::clamp(inside.y, 0, window.height - inside.height);
  return {window, inside};
}

}  // namespace vellicor::qt
