#pragma once

#include <memory>
#include <vector>

#include "platform/screens.h"

namespace vellicor::cocoa {

// NSEvent's pointer location and NSScreen's screens, already in the program's
// coordinate space.
//
// Checklist: exact. The pointer is reported where the program's frames hold it
// on the screen NSMouseInRect puts it on (cocoa_pointer.h): on a screen's top
// row it belongs to that screen, not to the one above.
class CocoaScreens final : public Screens {
 public:
  Point mouseLocation() const override;
  std::vector<std::shared_ptr<Screen>> screens() const override;
  std::shared_ptr<Screen> mainScreen() const override;
};

}  // namespace vellicor::cocoa
