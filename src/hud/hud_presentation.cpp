#include "hud/hud_manager.h"
#include "hud/hud_style.h"
#include "platform/common/outside_text.h"
#include "platform/fonts.h"
#include "platform/screens.h"
#include "platform/threads.h"
#include "platform/windows.h"

namespace vellicor {

void HUDManager::show(const std::string& text, double duration) {
  if (!platform.threads.isMainThread()) {
    platform.threads.asyncMain(
        [self = shared_from_this(), text, duration] { self->show(text, duration); });
    return;
  }
  present(text, duration);
}

void HUDManager::invalidate() {
  if (!platform.threads.isMainThread()) {
    platform.threads.asyncMain([self = shared_from_this()] { self->invalidate(); });
    return;
  }
  hideNow();
}

void HUDManager::present(const std::string& text, double duration) {
  // The panel is one line high: a name's line breaks are shown as spaces, and
  // its other controls as the pictures of controls.
  const std::string shown = oneLineLabel(text);
  // The label keeps the last fitted font, so the size only ever shrinks.
  std::shared_ptr<Font> base = label->font();
  if (!base) {
    base = platform.fonts.systemFont(kHUDFontSize, FontWeight::Semibold);
  }
  const auto font = fittingFont(shown, base, maxWidth);
  label->setFont(font);
  label->setStringValue(shown);

  const double w = widthFor(shown, *font);
  const double h = baseHeight;
  const auto screen = currentScreen();
  if (!screen) {
    // Nowhere to centre it: leave the panel as it is and arm nothing.
    return;
  }
  const Rect f = screen->frame();
  const Point origin{midX(f) - w * 0.5, midY(f) - h * 0.5};
  window->setFrame(Rect{origin, {w, h}}, true);
  window->setAlphaValue(1.0);
  window->orderFrontRegardless();

  if (hideTimer) {
    hideTimer->cancel();
  }
  hideTimer.reset();
  auto timer = platform.threads.makeTimerSource();
  timer->schedule(duration);
  timer->setEventHandler([weak = weak_from_this()] {
    if (auto self = weak.lock()) {
      self->window->orderOut();
    }
  });
  timer->activate();
  hideTimer = std::move(timer);
}

void HUDManager::hideNow() {
  if (hideTimer) {
    hideTimer->cancel();
  }
  hideTimer.reset();
  window->orderOut();
}

std::shared_ptr<Screen> HUDManager::currentScreen() const {
  const Point pointer = platform.screens.mouseLocation();
  const auto all = platform.screens.screens();
  for (const auto& screen : all) {
    if (contains(screen->frame(), pointer)) {
      return screen;
    }
  }
  if (auto main = platform.screens.mainScreen()) {
    return main;
  }
  return all.empty() ? nullptr : all.front();
}

}  // namespace vellicor
