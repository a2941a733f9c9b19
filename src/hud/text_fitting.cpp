#include <cmath>

#include "hud/hud_manager.h"
#include "hud/hud_style.h"
#include "platform/fonts.h"

namespace vellicor {

double HUDManager::measuredWidth(const std::string& text, const Font& font) const {
  return platform.fonts.measuredWidth(text, font);
}

std::shared_ptr<Font> HUDManager::fittingFont(const std::string& text,
                                              const std::shared_ptr<Font>& base,
                                              double maxWidth) const {
  const auto tooWide = [&](double width) { return width + 2 * paddingX > maxWidth; };
  double size = base->pointSize();
  if (!tooWide(measuredWidth(text, *base)) || !(size > kHUDMinimumFontSize)) {
    return base;
  }
  std::shared_ptr<Font> candidate;
  do {
    size -= 1.0;
    candidate = platform.fonts.systemFont(size, FontWeight::Semibold);
  } while (tooWide(measuredWidth(text, *candidate)) && size > kHUDMinimumFontSize);
  return candidate;
}

double HUDManager::widthFor(const std::string& text, const Font& font) const {
  double w = std::ceil(measuredWidth(text, font) + 2 * paddingX);
  if (!(w < maxWidth)) {
    w = maxWidth;
  }
  if (w < minWidth) {
    w = minWidth;
  }
  return w;
}

}  // namespace vellicor
