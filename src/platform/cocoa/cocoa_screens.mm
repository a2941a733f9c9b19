#include "platform/cocoa/cocoa_screens.h"

#import <AppKit/AppKit.h>

#include "platform/cocoa/cocoa_pointer.h"

namespace vellicor::cocoa {
namespace {

class CocoaScreen final : public Screen {
 public:
  explicit CocoaScreen(NSScreen* screen) : screen_(screen) {}
  Rect frame() const override {
    const NSRect f = [screen_ frame];
    return {{f.origin.x, f.origin.y}, {f.size.width, f.size.height}};
  }

 private:
  NSScreen* screen_;
};

}  // namespace

Point CocoaScreens::mouseLocation() const {
  const NSPoint p = [NSEvent mouseLocation];
  return pointerInFrames({p.x, p.y});
}

std::vector<std::shared_ptr<Screen>> CocoaScreens::screens() const {
  std::vector<std::shared_ptr<Screen>> out;
  for (NSScreen* screen in [NSScreen screens]) {
    out.push_back(std::make_shared<CocoaScreen>(screen));
  }
  return out;
}

std::shared_ptr<Screen> CocoaScreens::mainScreen() const {
  NSScreen* screen = [NSScreen mainScreen];
  return screen != nil ? std::make_shared<CocoaScreen>(screen) : nullptr;
}

}  // namespace vellicor::cocoa
