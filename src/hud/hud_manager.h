#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace vellicor {

class Font;
class Label;
class Screen;
class TimerSource;
class VisualEffectView;
class Window;

// The heads-up panel that flashes the name of a new input source: a borderless,
// click-through, translucent window with one centred label.
class HUDManager final : public std::enable_shared_from_this<HUDManager> {
 public:
  // The one instance, built on first use, even when threads race to it, from the
  // platform of that first call. It is never destroyed.
  static std::shared_ptr<HUDManager> shared(const Platform& platform);

  ~HUDManager();
  HUDManager(const HUDManager&) = delete;
  HUDManager& operator=(const HUDManager&) = delete;

  // Shows `text`, centred on the screen under the pointer, and hides it
  // `duration` seconds after this call. Callable from any thread.
  void show(const std::string& text, double duration);
  // Hides the panel at once and disarms a pending hide. Callable from any thread.
  void invalidate();

  // The font that fits `text` into `maxWidth` with the side insets: `base` itself
  // when it fits or is 18 points or less, else the first size down from it, in
  // one-point steps to no less than 18 points, at which it fits.
  std::shared_ptr<Font> fittingFont(const std::string& text, const std::shared_ptr<Font>& base,
                                    double maxWidth) const;
  // The panel width for `text` in `font`: whole points, within minWidth..maxWidth.
  double widthFor(const std::string& text, const Font& font) const;

 private:
  friend class HUDManagerTestAccess;
  explicit HUDManager(const Platform& platform);

  void present(const std::string& text, double duration);
  void hideNow();
  std::shared_ptr<Screen> currentScreen() const;
  double measuredWidth(const std::string& text, const Font& font) const;

  Platform platform;

  std::shared_ptr<Window> window;
  std::shared_ptr<Label> label;
  std::shared_ptr<VisualEffectView> bg;
  std::shared_ptr<TimerSource> hideTimer;
  const double baseHeight = 90.0;
  const double minWidth = 160.0;
  const double maxWidth = 520.0;
  const double paddingX = 24.0;
  const double paddingY = 18.0;
};

}  // namespace vellicor
