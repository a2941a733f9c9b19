#include "hud/hud_manager.h"

#include <vector>

#include "hud/hud_style.h"
#include "platform/fonts.h"
#include "platform/threads.h"
#include "platform/windows.h"

namespace vellicor {

std::shared_ptr<HUDManager> HUDManager::shared(const Platform& platform) {
  // Built once under the language's thread-safe static initialisation and kept
  // for the life of the process.
  static const auto* const instance = new std::shared_ptr<HUDManager>(new HUDManager(platform));
  return *instance;
}

HUDManager::HUDManager(const Platform& platform) : platform(platform) {
  const Rect panel{{0, 0}, {minWidth, baseHeight}};

  auto hudWindow =
      platform.windows.makeWindow(panel, kWindowStyleMaskBorderless, kBackingStoreBuffered, false);
  hudWindow->setLevel(kStatusWindowLevel);
  hudWindow->setOpaque(false);
  hudWindow->setBackgroundColor(Color::Clear);
  hudWindow->setIgnoresMouseEvents(true);
  hudWindow->setCollectionBehavior(kCollectionBehaviorCanJoinAllSpaces |
                                   kCollectionBehaviorStationary);
  hudWindow->setAcceptsMouseMovedEvents(false);
  hudWindow->setReleasedWhenClosed(false);
  hudWindow->orderOut();

  auto content = platform.windows.makeView(panel);
  content->setTranslatesAutoresizingMaskIntoConstraints(false);

  auto background = platform.windows.makeVisualEffectView(content->bounds());
  background->setMaterial(kVisualEffectMaterialHUDWindow);
  background->setState(kVisualEffectStateActive);
  background->setWantsLayer(true);
  if (auto layer = background->layer()) {
    layer->setCornerRadius(14.0);
  }
  background->setTranslatesAutoresizingMaskIntoConstraints(false);

  auto text = platform.windows.makeLabel("");
  text->setIdentifier("HUDLabel");
  text->setFont(platform.fonts.systemFont(kHUDFontSize, FontWeight::Semibold));
  text->setTextColor(Color::White);
  text->setAlignment(kTextAlignmentCenter);
  text->setLineBreakMode(kLineBreakByClipping);
  text->setTranslatesAutoresizingMaskIntoConstraints(false);

  content->addSubview(background);
  content->addSubview(text);
  hudWindow->setContentView(content);

  View* const b = background.get();
  View* const l = text.get();
  View* const c = content.get();
  using A = Anchor;
  using R = Relation;
  platform.windows.activateConstraints({
      {b, A::Leading, R::Equal, c, A::Leading, 0},
      {b, A::Trailing, R::Equal, c, A::Trailing, 0},
      {b, A::Top, R::Equal, c, A::Top, 0},
      {b, A::Bottom, R::Equal, c, A::Bottom, 0},
      {l, A::CenterX, R::Equal, c, A::CenterX, 0},
      {l, A::CenterY, R::Equal, c, A::CenterY, 0},
      {l, A::Leading, R::GreaterThanOrEqual, c, A::Leading, paddingX},
      {l, A::Trailing, R::LessThanOrEqual, c, A::Trailing, -paddingX},
      {l, A::Top, R::GreaterThanOrEqual, c, A::Top, paddingY},
      {l, A::Bottom, R::LessThanOrEqual, c, A::Bottom, -paddingY},
  });

  window = std::move(hudWindow);
  label = std::move(text);
  bg = std::move(background);
}

// Releases the references only: the timer is not cancelled and the window is
// neither closed nor ordered out.
HUDManager::~HUDManager() = default;

}  // namespace vellicor
