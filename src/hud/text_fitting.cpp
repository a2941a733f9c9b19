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
  // One point at a time, but never more than kMaxFittingSteps steps: from an
  // infinite base, or one so large that subtracting a point changes nothing, or
  // thousands of points above the floor, the walk would not end in any useful
  // time. Such a base goes straight to the floor, the smallest font allowed.
  constexpr int kMaxFittingSteps = 1000;
  if (!(size - kMaxFittingSteps <= kHUDMinimumFontSize)) {
    return platform.fonts.systemFont(kHUDMinimumFontSize, FontWeight::Semibold);
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
  // A width that could not be measured (NaN) takes the widest panel, which
  // clips the text rather than hiding it.
  if (!(w < maxWidth)) {
    w = maxWidth;
  }
  if (w < minWidth) {
    w = minWidth;
  }
  return w;
}

}  // namespace vellicor
