#pragma once

#include <memory>
#include <vector>

#include "platform/screens.h"

namespace vellicor::qt {

// Screens and the pointer from Qt (RandR monitors), flipped into the program's
// space around the primary screen.
//
// Checklist: pointer, screen list and frames are exact; the main screen is the
// primary one, as X has no key window to follow.
class QtScreens final : public Screens {
 public:
  Point mouseLocation() const override;
  std::vector<std::shared_ptr<Screen>> screens() const override;
  std::shared_ptr<Screen> mainScreen() const override;
};

// The primary screen's geometry in Qt's space; empty when there is no screen.
Rect primaryScreenGeometry();

}  // namespace vellicor::qt
